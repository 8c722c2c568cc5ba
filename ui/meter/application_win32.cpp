#include "ui/meter/application_win32.h"

#include <stdexcept>
#include <vector>

#include "ui/ansi_text_win32.h"
#include "ui/error_handler_win32.h"
#include "ui/ids.h"

namespace pelliton {

namespace {

// No icon of its own: the system gives a class without one its default application icon,
// the same picture, for the taskbar button that shows while the start-up runs. Loaded by the
// program, under Wine it kept about 140 KB of the process's memory for good.
void RegisterApplicationClass(WNDPROC procedure) {
  static const bool registered = [procedure] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = PELLITON_APP_CLASS;
    return RegisterClassExW(&windowClass) != 0;
  }();
  if (!registered) throw std::runtime_error("Cannot register the application window class");
}

}  // namespace

Win32Application::Win32Application() {
  RegisterApplicationClass(&WindowProc);
  window_ = CreateWindowExW(0, PELLITON_APP_CLASS, PELLITON_TITLE, WS_POPUP | WS_SYSMENU, 0, 0, 0,
                            0, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (window_ == nullptr) throw std::runtime_error("Cannot create the application window");
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Application::~Win32Application() {
  if (window_ != nullptr) DestroyWindow(window_);
}

// Closing the taskbar button or ending the session ends the program like a close of the
// meter does.
LRESULT CALLBACK Win32Application::WindowProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  auto* self = reinterpret_cast<Win32Application*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self != nullptr) {
    if (message == WM_CLOSE || (message == WM_ENDSESSION && wParam != FALSE)) {
      Guarded([self] { self->Terminate(); });
      return 0;
    }
    if (message == WM_NCDESTROY) self->window_ = nullptr;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void Win32Application::SetMeterWindow(HWND meter) {
  meter_ = meter;
  SetErrorBoxOwner(meter);
}

void Win32Application::ShowTaskbarButton() {
  ShowWindow(window_, SW_SHOWNOACTIVATE);
}

// The flag is looked at after every message, so a handler that terminates and then shows a
// box still has the box seen: only the main loop ends, never a nested modal one.
int Win32Application::Run() {
  MSG message{};
  while (!terminated_) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) return static_cast<int>(message.wParam);
    if (got == -1) break;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

void Win32Application::Terminate() {
  terminated_ = true;
  PostMessageW(window_, WM_NULL, 0, 0);  // wakes a main loop that waits for messages
}

void Win32Application::ProcessMessages() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));  // for the loop that owns it
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

std::int32_t Win32Application::ScreenWidth() const {
  return GetSystemMetrics(SM_CXSCREEN);
}

std::int32_t Win32Application::ScreenHeight() const {
  return GetSystemMetrics(SM_CYSCREEN);
}

// A system that cannot say (no monitor information) has the primary screen alone.
ScreenRect Win32Application::MonitorOf(const ScreenRect& window) const {
  const RECT rect{window.left, window.top, window.right, window.bottom};
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) {
    return {0, 0, ScreenWidth(), ScreenHeight()};
  }
  const RECT& area = monitor.rcMonitor;
  return {area.left, area.top, area.right, area.bottom};
}

std::u16string Win32Application::ExePath() const {
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    const DWORD size = static_cast<DWORD>(path.size());
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), size);
    if (length < size) return std::u16string(path.begin(), path.begin() + length);
    path.resize(path.size() * 2);
  }
}

// Owned by the meter once it exists, so that a box stays above a topmost meter and the meter
// takes no input while it is up; over a dialog, owned by the dialog.
int Win32Application::Box(std::wstring_view text, std::wstring_view caption, UINT type) const {
  const std::wstring ownText(text);
  const std::wstring ownCaption(caption);
  HWND owner = MessageBoxOwner(meter_);
  if (owner == nullptr) type |= MB_TASKMODAL;
  return MessageBoxW(owner, ownText.c_str(), ownCaption.c_str(), type);
}

void Win32Application::ShowMessage(std::string_view text) {
  Box(WidenAnsi(text), PELLITON_TITLE, MB_OK);
}

void Win32Application::ShowBox(std::string_view text, std::string_view caption) {
  Box(WidenAnsi(text), WidenAnsi(caption), MB_OK);
}

bool Win32Application::AskYesNo(std::string_view text, std::string_view caption) {
  return Box(WidenAnsi(text), WidenAnsi(caption), MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

}  // namespace pelliton
