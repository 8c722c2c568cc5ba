#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace pelliton::testing {

// Dispatches this thread's messages until `done` holds or `timeout` has passed; reports
// whether `done` held.
inline bool PumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::milliseconds(3000)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  MSG message{};
  while (!done()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return true;
}

// Dispatches whatever is waiting now.
inline void PumpPending() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Ends the thread's message loop with exit code kWatchdogExit if a test's loop runs too long.
inline constexpr int kWatchdogExit = 99;
class Watchdog {
 public:
  explicit Watchdog(UINT milliseconds = 3000)
      : timer_(SetTimer(nullptr, 0, milliseconds,
                        [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(kWatchdogExit); })) {}
  ~Watchdog() { KillTimer(nullptr, timer_); }
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  UINT_PTR timer_;
};

inline std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  SendMessageW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
  return text;
}

// A message box of this thread, as seen just before it was answered.
struct SeenBox {
  std::wstring caption;
  std::wstring text;
  HWND owner = nullptr;
  bool hasIcon = false;
  bool hasCancel = false;
};

// Answers every message box this thread shows while it lives, with `button`, from a thread
// timer that the box's own modal loop dispatches. Records what each box showed.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(int button = IDOK) : button_(button) {
    previous_ = current_;
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, &OnTimer);
  }
  ~BoxAnswerer() {
    KillTimer(nullptr, timer_);
    current_ = previous_;
  }
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;

  std::vector<SeenBox> seen;

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (current_ != nullptr) {
      EnumThreadWindows(GetCurrentThreadId(), &AnswerBox, reinterpret_cast<LPARAM>(current_));
    }
  }

  static BOOL CALLBACK AnswerBox(HWND window, LPARAM self) {
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (std::wstring(className) != L"#32770" || !IsWindowVisible(window)) return TRUE;
    auto* answerer = reinterpret_cast<BoxAnswerer*>(self);
    SeenBox box;
    box.caption = TextOf(window);
    box.text = TextOf(GetDlgItem(window, 0xFFFF));
    box.owner = GetWindow(window, GW_OWNER);
    box.hasCancel = GetDlgItem(window, IDCANCEL) != nullptr;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM seenBox) -> BOOL {
          wchar_t childClass[16] = {};
          GetClassNameW(child, childClass, 16);
          if (lstrcmpiW(childClass, L"Static") != 0) return TRUE;
          const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
          const bool icon = (style & SS_TYPEMASK) == SS_ICON && (style & WS_VISIBLE) != 0 &&
                            SendMessageW(child, STM_GETICON, 0, 0) != 0;
          if (icon) reinterpret_cast<SeenBox*>(seenBox)->hasIcon = true;
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&box));
    answerer->seen.push_back(box);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(answerer->button_, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, answerer->button_)));
    return FALSE;
  }

  static inline thread_local BoxAnswerer* current_ = nullptr;
  BoxAnswerer* previous_ = nullptr;
  UINT_PTR timer_ = 0;
  int button_;
};

// Sees every popup menu this thread opens, remembers where it appeared and closes it soon,
// so that a test never waits in a menu loop.
class MenuWatcher {
 public:
  MenuWatcher() {
    current_ = this;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROC, &OnCall, nullptr, GetCurrentThreadId());
  }
  ~MenuWatcher() {
    UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  MenuWatcher(const MenuWatcher&) = delete;
  MenuWatcher& operator=(const MenuWatcher&) = delete;

  int opened = 0;
  int closed = 0;
  POINT lastTopLeft{};

 private:
  static LRESULT CALLBACK OnCall(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == WM_INITMENUPOPUP && current_ != nullptr) {
      ++current_->opened;
      SetTimer(nullptr, 0, 30, &CloseMenu);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
  }

  static void CALLBACK CloseMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (current_ == nullptr) return;
    for (HWND menu = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); menu != nullptr;
         menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) {
      if (!IsWindowVisible(menu)) continue;
      RECT rect{};
      GetWindowRect(menu, &rect);
      current_->lastTopLeft = {rect.left, rect.top};
    }
    ++current_->closed;
    EndMenu();
  }

  static inline thread_local MenuWatcher* current_ = nullptr;
  HHOOK hook_ = nullptr;
};

}  // namespace pelliton::testing
