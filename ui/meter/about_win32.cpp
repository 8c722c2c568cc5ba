// TAboutBox: a picture under a raised bevel in a small tool window, nothing to press.
#include "ui/meter/about_win32.h"

#include "ui/dialogs/modal_dialog_win32.h"
#include "ui/meter/about_picture_win32.h"

namespace pelliton {

namespace {

constexpr wchar_t kCaption[] = L"About";
// A small caption with the close box only (the tool window's system menu), on top.
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;

// The layout, in pixels at 96 DPI. Image1 is drawn at its natural size whatever the DPI.
constexpr int kClientWidth = 153;
constexpr int kClientHeight = 101;
constexpr LayoutRect kBevel2{18, 4, 131, 92};

class TAboutBox final : public ModalDialog {
 public:
  TAboutBox(HWND meter, MeterWindow& window)
      : ModalDialog(WindowDpi(meter)), meter_(meter), window_(window) {}
  ~TAboutBox() override {
    if (image1_ != nullptr) DeleteObject(image1_);
  }

 private:
  // FormCreate; there is no control to give the focus to.
  void OnInitDialog() override;
  // FormDestroy: raises the meter as Stay On Top says.
  void OnDestroy() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Paint() const;

  HWND meter_;
  MeterWindow& window_;
  HBITMAP image1_ = nullptr;
};

void TAboutBox::OnInitDialog() {
  image1_ = DrawAboutPicture();
  PlaceCentred(dialog_, meter_, Scaled(kClientWidth, dpi_), Scaled(kClientHeight, dpi_));
}

void TAboutBox::OnDestroy() {
  RaiseMeter(window_);
}

// The close box and Alt+F4 (WM_CLOSE) end the box.
INT_PTR TAboutBox::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return TRUE;
    case WM_COMMAND:
      // Enter and Esc: there is no button to press.
      return LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL;
    default:
      return FALSE;
  }
}

void TAboutBox::Paint() const {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(dialog_, &paint);
  if (image1_ != nullptr) {
    HDC source = CreateCompatibleDC(dc);
    if (source != nullptr) {
      HGDIOBJ old = SelectObject(source, image1_);
      BitBlt(dc, 0, 0, kAboutPictureWidth, kAboutPictureHeight, source, 0, 0, SRCCOPY);
      SelectObject(source, old);
      DeleteDC(source);
    }
  }
  DrawBevels(dc, {kBevel2}, BDR_RAISEDINNER);
  EndPaint(dialog_, &paint);
}

}  // namespace

void ShowAboutBox(HWND owner, HWND meter, MeterWindow& window) {
  TAboutBox box(meter, window);
  box.ShowModal(owner, kCaption, kToolDialogExStyle, kStyle);
}

}  // namespace pelliton
