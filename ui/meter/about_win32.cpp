// TAboutBox: a picture under a raised bevel in a small tool window, nothing to press.
#include "ui/meter/about_win32.h"

#include "ui/dialogs/dialog_support_win32.h"
#include "ui/error_handler_win32.h"
#include "ui/meter/about_picture_win32.h"

namespace pelliton {

namespace {

constexpr wchar_t kCaption[] = L"About";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;

// The layout, in pixels at 96 DPI. Image1 is drawn at its natural size whatever the DPI.
constexpr int kClientWidth = 153;
constexpr int kClientHeight = 101;
constexpr LayoutRect kBevel2{18, 4, 131, 92};

class TAboutBox {
 public:
  explicit TAboutBox(HWND meter) : meter_(meter), dpi_(ScreenDpi()) {}
  TAboutBox(const TAboutBox&) = delete;
  TAboutBox& operator=(const TAboutBox&) = delete;
  ~TAboutBox() {
    if (image1_ != nullptr) DeleteObject(image1_);
  }

  static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void FormCreate();
  // Puts the meter into the topmost band, whatever the Stay On Top option says.
  void FormDestroy() const;
  void Paint() const;
  INT_PTR OnMessage(UINT message, WPARAM wParam);

  HWND meter_;
  int dpi_;
  HWND dialog_ = nullptr;
  HBITMAP image1_ = nullptr;
};

INT_PTR CALLBACK TAboutBox::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<TAboutBox*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    self->dialog_ = dialog;
    bool ready = false;
    Guarded([&] {
      self->FormCreate();
      ready = true;
    });
    if (!ready) EndDialog(dialog, IDCANCEL);
    return FALSE;  // no control to give the focus to
  }
  auto* self = reinterpret_cast<TAboutBox*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (self == nullptr) return FALSE;
  INT_PTR result = FALSE;
  Guarded([&] { result = self->OnMessage(message, wParam); });
  return result;
}

void TAboutBox::FormCreate() {
  image1_ = DrawAboutPicture();
  PlaceCentred(dialog_, meter_, Scaled(kClientWidth, dpi_), Scaled(kClientHeight, dpi_));
}

void TAboutBox::FormDestroy() const {
  SetWindowPos(meter_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
}

INT_PTR TAboutBox::OnMessage(UINT message, WPARAM wParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return TRUE;
    case WM_COMMAND:
      // Enter and Esc: there is no button to press.
      return LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL;
    case WM_CLOSE:  // the close box and Alt+F4
      EndDialog(dialog_, IDCANCEL);
      return TRUE;
    case WM_DESTROY:
      FormDestroy();
      return FALSE;
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
  RECT bevel{Scaled(kBevel2.left, dpi_), Scaled(kBevel2.top, dpi_),
             Scaled(kBevel2.left + kBevel2.width, dpi_),
             Scaled(kBevel2.top + kBevel2.height, dpi_)};
  DrawEdge(dc, &bevel, BDR_RAISEDINNER, BF_RECT);
  EndPaint(dialog_, &paint);
}

}  // namespace

void ShowAboutBox(HWND owner, HWND meter) {
  TAboutBox box(meter);
  const std::vector<DWORD> layout = EmptyDialogTemplate(kStyle, kExStyle, kCaption);
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                          reinterpret_cast<const DLGTEMPLATE*>(layout.data()), owner,
                          &TAboutBox::Proc, reinterpret_cast<LPARAM>(&box));
}

}  // namespace pelliton
