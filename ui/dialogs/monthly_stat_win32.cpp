#include "ui/dialogs/monthly_stat_win32.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>

#include "ui/dialogs/bit_button_win32.h"
#include "ui/dialogs/modal_dialog_win32.h"
#include "ui/dialogs/monthly_stat.h"
#include "ui/ids.h"

namespace pelliton {

namespace {

constexpr wchar_t kCaption[] = L"Zorvane Pelliton Monthly Stats";

// The layout, in pixels at 96 DPI.
constexpr int kClientWidth = 505;
constexpr int kClientHeight = 313;
constexpr LayoutRect kBevel1{8, 8, 489, 265};
constexpr LayoutRect kLabel1{24, 24, 457, 209};
constexpr LayoutRect kStaticText1{16, 248, 465, 17};
constexpr LayoutRect kBitBtn1{216, 280, 75, 25};
constexpr wchar_t kFormFontFace[] = L"MS Sans Serif";
constexpr int kFormFontHeight = 11;
constexpr wchar_t kLabel1FontFace[] = L"Courier New";
constexpr int kLabel1FontHeight = 12;
constexpr wchar_t kNoteFontFace[] = L"Times New Roman";
constexpr int kNoteFontHeight = 11;
constexpr COLORREF kNoteColor = RGB(255, 0, 0);
constexpr int kSmallestNoteFontHeight = 6;
// A well-formed line of the history; the label is at least this wide in its font.
constexpr int kLineCharacters = 64;

// How wide `text` is in `font` on the screen.
int TextWidth(HFONT font, const std::wstring& text) {
  HDC dc = GetDC(nullptr);
  if (dc == nullptr) return 0;
  HGDIOBJ old = SelectObject(dc, font);
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return extent.cx;
}

// What the static control is given: every carriage return breaks the line (a lone one
// becomes CR LF), and a NUL, which would end the text, shows as a blank.
std::wstring LabelText(std::u16string_view text) {
  std::wstring shown;
  shown.reserve(text.size() + text.size() / 32);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<wchar_t>(text[i]);
    shown.push_back(c == L'\0' ? L' ' : c);
    if (c == L'\r' && (i + 1 == text.size() || text[i + 1] != u'\n')) shown.push_back(L'\n');
  }
  return shown;
}

struct Label1View final : StatisticsView {
  void SetLabel1Text(std::u16string_view text) override {
    if (!SetWindowTextW(label, LabelText(text).c_str())) throw std::bad_alloc();
  }
  HWND label = nullptr;
};

// One showing of the window: its controls, fonts and handlers. The handlers' FormActivate
// runs while the window is built, FormDestroy as it is destroyed.
class StatisticsWindow final : public ModalDialog {
 public:
  StatisticsWindow(HWND meter, const DialogPorts& ports)
      : ModalDialog(WindowDpi(meter)), meter_(meter), form_(ports.state, ports.window, view_) {}

 private:
  void OnInitDialog() override;
  void OnDestroy() override { form_.FormDestroy(); }
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged() override;
  static std::wstring Note() { return {kStatisticsNote.begin(), kStatisticsNote.end()}; }
  void WidenToLine(HWND label) const;
  FontHandle NoteFont(const std::wstring& note) const;

  HWND meter_;  // the window opens on the meter's monitor
  DialogFont formFont_, label1Font_;
  FontHandle noteFont_;  // its size fitted to the note at the DPI
  HWND label1_ = nullptr;
  HWND staticText1_ = nullptr;
  HWND bitBtn1_ = nullptr;
  Label1View view_;
  TAllStatForm form_;
};

void StatisticsWindow::OnInitDialog() {
  formFont_ = Font(kFormFontFace, kFormFontHeight);
  label1Font_ = Font(kLabel1FontFace, kLabel1FontHeight, FIXED_PITCH | FF_MODERN);
  const std::wstring note = Note();
  noteFont_ = NoteFont(note);

  label1_ = CreateChild(dialog_, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, 0, IDC_STAT_LABEL1, kLabel1,
                        dpi_, label1Font_.Get());
  WidenToLine(label1_);
  staticText1_ = CreateChild(dialog_, L"STATIC", note.c_str(), SS_CENTER | SS_NOPREFIX, 0,
                             IDC_STAT_STATICTEXT1, kStaticText1, dpi_, noteFont_.Get());
  bitBtn1_ = CreateBitButton(dialog_, IDC_STAT_BITBTN1, L"&Close", ButtonGlyph::Close, kBitBtn1,
                             dpi_, formFont_.Get(), WS_TABSTOP | WS_GROUP);

  view_.label = label1_;
  form_.FormActivate();

  PlaceCentred(dialog_, nullptr, Scaled(kClientWidth, dpi_), Scaled(kClientHeight, dpi_), meter_);
  SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(bitBtn1_), TRUE);
}

INT_PTR StatisticsWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      // BitBtn1, clicked or pressed with Space; Enter while it has the focus. Esc (IDCANCEL)
      // finds no cancel button and does nothing. WM_CLOSE ends the window too.
      if (LOWORD(wParam) == IDC_STAT_BITBTN1 ||
          (LOWORD(wParam) == IDOK && GetFocus() == bitBtn1_)) {
        EndDialog(dialog_, IDCLOSE);
      }
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      const bool note = reinterpret_cast<HWND>(lParam) == staticText1_;
      return ControlColours(reinterpret_cast<HDC>(wParam),
                            note ? kNoteColor : GetSysColor(COLOR_WINDOWTEXT));
    }
    case WM_PAINT:
      PaintBevels({kBevel1}, BDR_RAISEDINNER);
      return TRUE;
  }
  return FALSE;
}

void StatisticsWindow::OnDpiChanged() {
  FontHandle font = NoteFont(Note());
  SendMessageW(staticText1_, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
  noteFont_ = std::move(font);
  WidenToLine(label1_);
}

// A history line is meant to fit the label in its font; where the font at this DPI, or a
// stand-in for it, is wider, the label grows to the right inside the bevel so that each
// cycle keeps one line.
void StatisticsWindow::WidenToLine(HWND label) const {
  const int line = TextWidth(label1Font_.Get(), std::wstring(kLineCharacters, L'0'));
  RECT rect{};
  GetClientRect(label, &rect);
  const int room = Scaled(kBevel1.left + kBevel1.width, dpi_) - Scaled(kLabel1.left, dpi_) - 2;
  const int width = std::min(line + 1, room);
  if (width > rect.right) {
    SetWindowPos(label, nullptr, 0, 0, width, rect.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

// The note keeps to its one line: where a wider stand-in takes the place of the face, the
// note is set in the largest size of it that fits.
FontHandle StatisticsWindow::NoteFont(const std::wstring& note) const {
  const int width = Scaled(kStaticText1.width, dpi_);
  for (int height = kNoteFontHeight;; --height) {
    FontHandle font = CreateDialogFont(kNoteFontFace, height, dpi_, VARIABLE_PITCH | FF_ROMAN);
    if (height <= kSmallestNoteFontHeight || TextWidth(font.Get(), note) <= width) return font;
  }
}

}  // namespace

void ShowStatisticsWindow(HWND owner, HWND meter, const DialogPorts& ports) {
  StatisticsWindow window(meter, ports);
  window.ShowModal(owner, kCaption, kDialogExStyle);
}

}  // namespace pelliton
