#include "ui/dialogs/cycle_date_win32.h"

#include <cwchar>
#include <optional>

#include "ui/dialogs/bit_button_win32.h"
#include "ui/dialogs/cycle_date.h"
#include "ui/dialogs/list_box_view_win32.h"
#include "ui/dialogs/tool_dialog_win32.h"
#include "ui/error_handler_win32.h"
#include "ui/ids.h"

namespace pelliton {

namespace {

constexpr wchar_t kCaption[] = L"Cycle Date Selection";
constexpr wchar_t kLabel1Text[] = L"Cycle Date";

// The layout, in pixels at 96 DPI.
constexpr int kClientWidth = 201;
constexpr int kClientHeight = 105;
constexpr LayoutRect kBevel2{8, 8, 97, 89};
constexpr LayoutRect kBevel4{112, 8, 81, 89};
constexpr LayoutRect kLabel1{16, 16, 77, 20};
constexpr LayoutRect kBitBtn1{120, 24, 65, 25};
constexpr LayoutRect kBitBtn2{120, 56, 65, 25};
constexpr LayoutRect kListBox1{24, 40, 57, 49};
constexpr int kListLineHeight = 37;
constexpr int kListTextIndent = 2;
constexpr wchar_t kFontFace[] = L"MS Sans Serif";
constexpr int kFormFontHeight = 11;
constexpr int kLabel1FontHeight = 16;
constexpr int kListFontHeight = 32;
constexpr COLORREF kLabel1Color = RGB(0, 0, 255);
constexpr COLORREF kListColor = RGB(255, 0, 0);

// One showing of the dialog: its window, fonts and handlers.
class CycleDateDialog final : public ToolDialog {
 public:
  CycleDateDialog(HWND meter, const DialogPorts& ports, int dpi)
      : ToolDialog(dpi), meter_(meter), ports_(ports) {}
  // The handlers' FormDestroy: after the window, whatever ended the showing.
  ~CycleDateDialog() override {
    if (form_) Guarded([&] { form_->FormDestroy(); });
  }

 private:
  void OnInitDialog() override;
  void OnActivate() override { form_->FormActivate(); }
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnCommand(int id, int code);
  void DrawLine(const DRAWITEMSTRUCT& item) const;

  HWND meter_;
  DialogPorts ports_;
  FontHandle formFont_, label1Font_, listFont_;
  HWND label1_ = nullptr;
  HWND bitBtn1_ = nullptr;
  HWND bitBtn2_ = nullptr;
  HWND listBox1_ = nullptr;
  std::optional<ListBoxView> view_;
  std::optional<TCycleDateForm> form_;
};

void CycleDateDialog::OnInitDialog() {
  formFont_ = CreateDialogFont(kFontFace, kFormFontHeight, dpi_);
  label1Font_ = CreateDialogFont(kFontFace, kLabel1FontHeight, dpi_);
  listFont_ = CreateDialogFont(kFontFace, kListFontHeight, dpi_);

  // Creation order is the tab order: BitBtn1, BitBtn2, ListBox1.
  label1_ = CreateChild(dialog_, L"STATIC", kLabel1Text, SS_LEFTNOWORDWRAP | SS_NOTIFY | WS_GROUP,
                        0, IDC_CYCLE_LABEL1, kLabel1, dpi_, label1Font_.Get());
  FitLabelToText(label1_, label1Font_.Get());
  bitBtn1_ = CreateBitButton(dialog_, IDOK, L"OK", ButtonGlyph::Ok, kBitBtn1, dpi_, formFont_.Get(),
                             WS_TABSTOP | WS_GROUP);
  bitBtn2_ = CreateBitButton(dialog_, IDCANCEL, L"Cancel", ButtonGlyph::Cancel, kBitBtn2, dpi_,
                             formFont_.Get(), WS_TABSTOP);
  listBox1_ = CreateChild(dialog_, L"LISTBOX", nullptr,
                          WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT |
                              LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                          WS_EX_CLIENTEDGE, IDC_CYCLE_LISTBOX1, kListBox1, dpi_, listFont_.Get());
  SendMessageW(listBox1_, LB_SETITEMHEIGHT, 0, Scaled(kListLineHeight, dpi_));

  view_.emplace(dialog_, listBox1_, bitBtn1_);
  form_.emplace(ports_, *view_);

  PlaceCentred(dialog_, meter_, Scaled(kClientWidth, dpi_), Scaled(kClientHeight, dpi_));
  SendMessageW(dialog_, DM_SETDEFID, IDOK, 0);
  SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(bitBtn2_), TRUE);
}

INT_PTR CycleDateDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_DRAWITEM:
      if (wParam != IDC_CYCLE_LISTBOX1) return FALSE;
      DrawLine(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return Result(TRUE);
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) != label1_) return FALSE;
      return ColourLabel(reinterpret_cast<HDC>(wParam), kLabel1Color);
    case WM_PAINT:
      PaintBevels({kBevel2, kBevel4});
      return TRUE;
  }
  return FALSE;
}

void CycleDateDialog::OnCommand(int id, int code) {
  switch (id) {
    case IDOK:
      // Enter in the list reaches here too; a disabled OK button presses nothing.
      if (!IsWindowEnabled(bitBtn1_)) return;
      Guarded([&] { form_->BitBtn1Click(); });
      EndDialog(dialog_, IDOK);  // whatever the answer, and after a failure too
      return;
    case IDCANCEL:
      EndDialog(dialog_, IDCANCEL);
      return;
    case IDC_CYCLE_LISTBOX1:
      if (code == LBN_SELCHANGE) Guarded([&] { form_->ListBox1Click(); });
      return;
    case IDC_CYCLE_LABEL1:
      if (code == STN_CLICKED) Guarded([&] { form_->BitBtn1Click(); });
      return;
  }
}

// A line in red on the window colour, or in the selection colours.
void CycleDateDialog::DrawLine(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID != static_cast<UINT>(-1)) {
    wchar_t text[8] = {};
    if (SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0) < 8)
      SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text));
    HGDIOBJ old = SelectObject(dc, listFont_.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : kListColor);
    TextOutW(dc, rect.left + Scaled(kListTextIndent, dpi_), rect.top, text,
             static_cast<int>(wcslen(text)));
    SelectObject(dc, old);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rect);
}

}  // namespace

void ShowCycleDateDialog(HWND owner, HWND meter, const DialogPorts& ports) {
  ShowCycleDateDialog(owner, meter, ports, ScreenDpi());
}

void ShowCycleDateDialog(HWND owner, HWND meter, const DialogPorts& ports, int dpi) {
  CycleDateDialog dialog(meter, ports, dpi);
  dialog.ShowModal(owner, kCaption);
}

}  // namespace pelliton
