#include "ui/meter/meter_window_win32.h"

#include <stdexcept>

#include "ui/ansi_text_win32.h"
#include "ui/dpi_win32.h"
#include "ui/error_handler_win32.h"
#include "ui/ids.h"
#include "ui/meter/one_meter_win32.h"

namespace pelliton {

namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr UINT_PTR kShowingTimer = 2;
constexpr UINT kShowingMs = 3000;
constexpr UINT kFirstActivation = WM_APP + 1;
constexpr UINT kShowNotices = WM_APP + 2;
constexpr UINT kAddTrayIcon = WM_APP + 4;  // WM_APP + 3 is the icon's own message
constexpr DWORD kStyle = WS_POPUP | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_LAYERED;

void RegisterMeterClass(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = PELLITON_METER_CLASS;
    return RegisterClassExW(&windowClass) != 0;
  }();
  if (!registered) throw std::runtime_error("Cannot register the meter window class");
}

SIZE FrameSize(const MeterLayout& layout) {
  RECT frame{0, 0, layout.clientWidth, layout.clientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

RECT FrameOf(HWND window) {
  RECT frame{};
  GetWindowRect(window, &frame);
  return frame;
}

}  // namespace

int Win32MeterWindow::SystemDpi() {
  return pelliton::SystemDpi();
}

Win32MeterWindow::Win32MeterWindow(HWND owner, Application& app, int dpi) : app_(app), dpi_(dpi) {
  try {
    Create(owner);
  } catch (...) {
    Release();  // no window may outlive the object it reports to
    throw;
  }
}

Win32MeterWindow::~Win32MeterWindow() {
  Release();
}

void Win32MeterWindow::Create(HWND owner) {
  RegisterMeterClass(&WindowProc);
  CreateDragCursor();

  const SIZE frame = FrameSize(Layout());
  CreateWindowExW(kExStyle, PELLITON_METER_CLASS, PELLITON_TITLE, kStyle, 0, 0, frame.cx, frame.cy,
                  owner, nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) throw std::runtime_error("Cannot create the meter window");

  // Drawn first by the start-up, once the labels have their stored size: a font drawn with
  // once stays in the system's cache after it is deleted.
  CreateLabels();
  CreatePopupMenu1();
}

void Win32MeterWindow::Release() noexcept {
  tray_.Remove();
  if (hint_ != nullptr && IsWindow(hint_)) DestroyWindow(hint_);
  if (window_ != nullptr) DestroyWindow(window_);
  if (menu_ != nullptr) DestroyMenu(menu_);
  if (label1Font_ != nullptr) DeleteObject(label1Font_);
  if (smallFont_ != nullptr) DeleteObject(smallFont_);
  if (dragCursor_ != nullptr) DestroyCursor(dragCursor_);
}

LRESULT CALLBACK Win32MeterWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Win32MeterWindow*>(
        reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Win32MeterWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY && self != nullptr) {
    self->window_ = nullptr;
    self = nullptr;
  }
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  Guarded([&] { result = self->OnMessage(message, wParam, lParam); });
  return result;
}

LRESULT Win32MeterWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == ShowMeterMessage() && message != 0) {
    ShowForAMoment();
    return 0;
  }
  if (message == TaskbarCreatedMessage() && message != 0) {
    AddTrayIcon();  // the shell started again and knows no icon
    return 0;
  }
  switch (message) {
    case WM_ERASEBKGND:  // the picture is the layered window's (Repaint), not painted here
      return 1;
    case WM_DRAWITEM:  // the labels paint nothing
      return TRUE;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      if (ForwardToLabel1(message, wParam, lParam)) return 0;
      break;
    case WM_SETCURSOR:
      if (OnSetCursor(lParam)) return TRUE;
      break;
    case WM_CONTEXTMENU:
      OnContextMenu(lParam);
      return 0;
    case WM_COMMAND:
      if (OnCommand(wParam, lParam)) return 0;
      break;
    case WM_TIMER:
      if (wParam == kShowingTimer) {
        EndShowing();
        return 0;
      }
      if (wParam != kTimer1) break;
      OnTimer1();
      return 0;
    case kFirstActivation:
      if (!activated_) {
        activated_ = true;
        // After the start-up, or during it when it shows a dialog or a box (their loops take
        // it): the meter is in its place by then, or the dialog is up.
        PostMessageW(window_, kAddTrayIcon, 0, 0);
        Guarded([this] { Notify([](MeterEvents& events) { events.FormActivate(); }); });
        Notify([](MeterEvents& events) { events.StartUpEnded(); });
      }
      return 0;
    case kAddTrayIcon:
      AddTrayIconAfterShow();
      return 0;
    case kShowNotices:
      ShowNotices();
      return 0;
    case kTrayIconMessage:
      OnTrayMessage(lParam);
      return 0;
    case WM_DPICHANGED:
      if (const std::optional<int> dpi = ChangedDpi(wParam))
        ChangeDpi(*dpi, reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_DISPLAYCHANGE:
      RefitTrayIcon();  // the notification area may be at another DPI now
      break;
    case WM_CLOSE:
      app_.Terminate();
      return 0;
    case WM_ENDSESSION:
      if (wParam != FALSE) app_.Terminate();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

// The labels, their fonts and the window's size as at start-up at that DPI; the texts, the
// options and the stored figures are untouched. The window goes where the system suggests.
void Win32MeterWindow::ChangeDpi(int dpi, const RECT* suggested) {
  ChangeLabelsDpi(dpi);
  const SIZE frame = FrameSize(Layout());
  const RECT now = FrameOf(window_);
  const POINT at =
      suggested != nullptr ? POINT{suggested->left, suggested->top} : POINT{now.left, now.top};
  SetWindowPos(window_, nullptr, at.x, at.y, frame.cx, frame.cy, SWP_NOZORDER | SWP_NOACTIVATE);
  Repaint();
  RefitTrayIcon();
}

// A tick's error goes to the error box. The ticks go on while it is up (its message loop
// runs them), and their errors are not shown again on top of it: a store that keeps failing
// would otherwise stack a box every two seconds.
void Win32MeterWindow::OnTimer1() {
  tray_.ReleaseIdleShell();
  const auto tick = [this] { Notify([](MeterEvents& events) { events.Timer1Timer(); }); };
  if (tickOrItsErrorUp_) {
    try {
      tick();
    } catch (...) {  // the box that is up already tells of it
    }
    return;
  }
  tickOrItsErrorUp_ = true;
  Guarded(tick);
  tickOrItsErrorUp_ = false;
}

// The picture is up to date from creation on: the window shows it at once. The icon in the
// notification area (the shell's library loaded, the shell asked) waits until the first
// activation has run the start-up.
void Win32MeterWindow::ShowAndActivate() {
  ShowWindow(window_, SW_SHOWNORMAL);
  SetForegroundWindow(window_);
  PostMessageW(window_, kFirstActivation, 0, 0);
}

// Another start asked for the meter: above every window for a moment, then back in the band
// that Stay On Top gives it, and hidden again when "Show Meter" is off. A dialog open over the
// meter comes to the front with it.
void Win32MeterWindow::ShowForAMoment() {
  SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
  SetForegroundWindow(GetLastActivePopup(window_));
  SetTimer(window_, kShowingTimer, kShowingMs, nullptr);
}

void Win32MeterWindow::EndShowing() {
  KillTimer(window_, kShowingTimer);
  if (!MenuChecked(MenuItem::StayOnTop1)) SetTopmost(false);
  ApplyMeterShown();
}

void Win32MeterWindow::SetTimer1Enabled(bool enabled) {
  if (enabled) {
    SetTimer(window_, kTimer1, timerInterval_, nullptr);
  } else {
    KillTimer(window_, kTimer1);
  }
}

void Win32MeterWindow::PostNotice(std::string_view text) {
  notices_.push_back(WidenAnsi(text));
  PostMessageW(window_, kShowNotices, 0, 0);
}

void Win32MeterWindow::PostWarning(std::string_view title, std::string_view text) {
  if (!tray_.ShowBalloon(WidenAnsi(title), WidenAnsi(text))) PostNotice(text);
}

// The ticks go on while a box is up; a notice posted meanwhile waits until it is closed.
// Owned by the meter, or by the dialog that is up over it.
void Win32MeterWindow::ShowNotices() {
  if (noticeUp_) return;
  noticeUp_ = true;
  while (!notices_.empty()) {
    const std::wstring text = notices_.front();
    notices_.pop_front();
    MessageBoxW(MessageBoxOwner(window_), text.c_str(), PELLITON_TITLE, MB_OK | MB_ICONINFORMATION);
  }
  noticeUp_ = false;
}

std::int32_t Win32MeterWindow::Left() const {
  return FrameOf(window_).left;
}

std::int32_t Win32MeterWindow::Top() const {
  return FrameOf(window_).top;
}

std::int32_t Win32MeterWindow::Width() const {
  const RECT frame = FrameOf(window_);
  return frame.right - frame.left;
}

std::int32_t Win32MeterWindow::Height() const {
  const RECT frame = FrameOf(window_);
  return frame.bottom - frame.top;
}

void Win32MeterWindow::SetLeft(std::int32_t left) {
  SetWindowPos(window_, nullptr, left, Top(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32MeterWindow::SetTop(std::int32_t top) {
  SetWindowPos(window_, nullptr, Left(), top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A meter that "Show Meter" hides stays hidden.
void Win32MeterWindow::SetTopmost(bool topmost) {
  const UINT flags = SWP_NOSIZE | SWP_NOMOVE | ShowFlag();
  SetWindowPos(window_, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, flags);
  if (topmost || (GetWindowLongPtrW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0) return;
  // Wine keeps an owned window that lies right above its owner in the topmost band; freed
  // from its owner for a moment, it leaves the band. Windows never gets here.
  const auto owner = GetWindowLongPtrW(window_, GWLP_HWNDPARENT);
  SetWindowLongPtrW(window_, GWLP_HWNDPARENT, 0);
  SetWindowPos(window_, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
  SetWindowLongPtrW(window_, GWLP_HWNDPARENT, owner);
}

void Win32MeterWindow::BringToTop() {
  SetWindowPos(window_, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | ShowFlag());
}

void Win32MeterWindow::HideTaskbarButton() {
  ShowWindow(GetWindow(window_, GW_OWNER), SW_HIDE);
}

}  // namespace pelliton
