// A plain window of the driver laid below the meter, which notes the presses that
// reach it: what the meter lets through to whatever lies beneath.

#include <string>
#include <vector>

#include "driver.h"
#include "json.h"

namespace driver {

namespace {

std::vector<std::string> g_presses;

LRESULT CALLBACK CatcherProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;  // the meter keeps the keyboard
  if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN) {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(hwnd, &at);
    g_presses.push_back(Object().Add("x", Num(at.x)).Add("y", Num(at.y)).Str());
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND Catcher() {
  static HWND catcher = DriverWindow(L"PellitonDriverCatcher", CatcherProc,
                                     WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, WS_POPUP, nullptr);
  return catcher;
}

}  // namespace

// Covers the meter's rectangle, under it. (Wine maps it at the top of the X stack all the
// same: the scenario raises the meter's X window again.)
std::string Catch() {
  const RECT r = RectOf(Meter());
  if (!SetWindowPos(Catcher(), HWND_BOTTOM, r.left, r.top, r.right - r.left, r.bottom - r.top,
                    SWP_NOACTIVATE | SWP_SHOWWINDOW))
    Fail("cannot place the catcher");
  g_presses.clear();
  return R"({"ok":true})";
}

// The presses that reached the catcher since it was placed, in screen coordinates.
std::string Caught(DWORD waitMs) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&msg);
    Sleep(20);
  } while (GetTickCount() - start < waitMs);
  return Object().Add("ok", "true").Add("presses", Array(g_presses)).Str();
}

}  // namespace driver
