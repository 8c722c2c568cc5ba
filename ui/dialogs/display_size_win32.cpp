#include "ui/dialogs/display_size_win32.h"

#include <commctrl.h>

#include <optional>
#include <stdexcept>
#include <string>

#include "ui/ansi_text_win32.h"
#include "ui/common_controls_win32.h"
#include "ui/dialogs/bit_button_win32.h"
#include "ui/dialogs/display_size.h"
#include "ui/dialogs/modal_dialog_win32.h"
#include "ui/error_handler_win32.h"
#include "ui/ids.h"

namespace pelliton {

namespace {

constexpr wchar_t kCaption[] = L"Alter Display Size";

// The layout, in pixels at 96 DPI.
constexpr int kClientWidth = 314;
constexpr int kClientHeight = 129;
constexpr LayoutRect kBevel2{8, 8, 209, 113};
constexpr LayoutRect kBevel4{224, 8, 81, 113};
constexpr LayoutRect kLabel1{24, 24, 177, 38};
constexpr LayoutRect kBitBtn1{232, 24, 65, 33};
constexpr LayoutRect kTrackBar1{16, 80, 185, 33};
constexpr LayoutRect kBitBtn2{232, 72, 65, 33};
constexpr int kTickSpacing = 2;
constexpr int kArrowStep = 2;
constexpr wchar_t kFontFace[] = L"MS Sans Serif";
constexpr int kFormFontHeight = 11;
constexpr wchar_t kPreviewFace[] = L"Arial";
constexpr COLORREF kSkyBlue = RGB(0xA6, 0xCA, 0xF0);

// The preview label, drawn by the dialog, and the track bar.
class PreviewView final : public DisplaySizeDialogView {
 public:
  PreviewView(HWND preview, HWND trackBar, int dpi)
      : preview_(preview), trackBar_(trackBar), dpi_(dpi) {}

  void SetPreviewText(std::string_view text) override {
    SetWindowTextW(preview_, WidenAnsi(text).c_str());
  }
  void SetPreviewFontSize(std::uint8_t points) override {
    HFONT font = CreateFontW(-FontPixels(points, dpi_), 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE,
                             ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                             DEFAULT_PITCH | FF_DONTCARE, kPreviewFace);
    if (font == nullptr) throw std::runtime_error("Out of system resources");
    SendMessageW(preview_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    font_ = FontHandle(font);
    points_ = points;
  }
  std::uint8_t PreviewFontSize() const override { return points_; }
  // The preview's font made again at `dpi`, of the same size.
  void SetDpi(int dpi) {
    dpi_ = dpi;
    if (points_ != 0) SetPreviewFontSize(points_);
  }
  void SetPreviewColor(std::int32_t color) override {
    color_ = static_cast<COLORREF>(color);
    InvalidateRect(preview_, nullptr, FALSE);
  }
  int TrackBarPosition() const override {
    return static_cast<int>(SendMessageW(trackBar_, TBM_GETPOS, 0, 0));
  }
  void SetTrackBarPosition(int position) override {
    SendMessageW(trackBar_, TBM_SETPOS, TRUE, position);
  }

  // Centred text on sky blue, cut at the label's edges.
  void Draw(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    SetBkColor(dc, kSkyBlue);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    const int length = GetWindowTextLengthW(preview_);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(preview_, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(length));
    HGDIOBJ old = SelectObject(dc, font_.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color_);
    DrawTextW(dc, text.c_str(), length, &rect, DT_CENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
  }

 private:
  HWND preview_;
  HWND trackBar_;
  int dpi_;
  FontHandle font_;
  std::uint8_t points_ = 0;
  COLORREF color_ = 0;
};

// One showing of the dialog: its window, fonts and handlers.
class DisplaySizeDialog final : public ModalDialog {
 public:
  DisplaySizeDialog(HWND meter, const DialogPorts& ports, int dpi)
      : ModalDialog(dpi), meter_(meter), ports_(ports) {}
  // The handlers' FormDestroy: after the window, whatever ended the showing.
  ~DisplaySizeDialog() override {
    if (form_) Guarded([&] { form_->FormDestroy(); });
  }

 private:
  void OnInitDialog() override;
  void OnActivate() override { form_->FormActivate(); }
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  HWND CreateTrackBar();
  void OnDpiChanged() override { view_->SetDpi(dpi_); }

  HWND meter_;
  DialogPorts ports_;
  DialogFont formFont_;
  HWND trackBar1_ = nullptr;
  std::optional<PreviewView> view_;
  std::optional<TDisplaySizeForm> form_;
};

void DisplaySizeDialog::OnInitDialog() {
  formFont_ = Font(kFontFace, kFormFontHeight);

  HWND label1 = CreateChild(dialog_, L"STATIC", nullptr, SS_OWNERDRAW, 0, IDC_SIZE_LABEL1, kLabel1,
                            dpi_, formFont_.Get());
  // Creation order is the tab order: BitBtn1, TrackBar1, BitBtn2.
  HWND bitBtn1 = CreateBitButton(dialog_, IDOK, L"OK", ButtonGlyph::Ok, kBitBtn1, dpi_,
                                 formFont_.Get(), WS_TABSTOP | WS_GROUP);
  trackBar1_ = CreateTrackBar();
  CreateBitButton(dialog_, IDCANCEL, L"Cancel", ButtonGlyph::Cancel, kBitBtn2, dpi_,
                  formFont_.Get(), WS_TABSTOP);

  view_.emplace(label1, trackBar1_, dpi_);
  form_.emplace(ports_, *view_);

  PlaceCentred(dialog_, meter_, Scaled(kClientWidth, dpi_), Scaled(kClientHeight, dpi_));
  SendMessageW(dialog_, DM_SETDEFID, IDOK, 0);
  SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(bitBtn1), TRUE);
}

HWND DisplaySizeDialog::CreateTrackBar() {
  if (!LoadCommonControls()) throw std::runtime_error("Cannot load the common controls");
  HWND trackBar = CreateChild(dialog_, TRACKBAR_CLASSW, nullptr,
                              WS_TABSTOP | TBS_HORZ | TBS_BOTTOM | TBS_AUTOTICKS, 0,
                              IDC_SIZE_TRACKBAR1, kTrackBar1, dpi_, formFont_.Get());
  SendMessageW(trackBar, TBM_SETRANGE, FALSE,
               MAKELPARAM(kSmallestDisplaySize, kLargestDisplaySize));
  SendMessageW(trackBar, TBM_SETTICFREQ, kTickSpacing, 0);
  SendMessageW(trackBar, TBM_SETLINESIZE, 0, kArrowStep);
  SendMessageW(trackBar, TBM_SETPAGESIZE, 0, kArrowStep);
  SendMessageW(trackBar, TBM_SETPOS, TRUE, kSmallestDisplaySize);
  return trackBar;
}

INT_PTR DisplaySizeDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        Guarded([&] { form_->BitBtn1Click(); });
        EndDialog(dialog_, IDOK);  // after a failure too
      } else if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog_, IDCANCEL);
      }
      return TRUE;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lParam) != trackBar1_) return FALSE;
      Guarded([&] { form_->TrackBar1Change(); });
      return TRUE;
    case WM_DRAWITEM:
      if (wParam != IDC_SIZE_LABEL1) return FALSE;
      view_->Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return Result(TRUE);
    case WM_PAINT:
      PaintBevels({kBevel2, kBevel4});
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void ShowDisplaySizeDialog(HWND owner, HWND meter, const DialogPorts& ports) {
  ShowDisplaySizeDialog(owner, meter, ports, WindowDpi(meter));
}

void ShowDisplaySizeDialog(HWND owner, HWND meter, const DialogPorts& ports, int dpi) {
  DisplaySizeDialog dialog(meter, ports, dpi);
  dialog.ShowModal(owner, kCaption, kToolDialogExStyle);
}

}  // namespace pelliton
