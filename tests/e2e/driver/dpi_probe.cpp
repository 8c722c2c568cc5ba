// Hook that the driver plants in the program's user-interface thread to tell a window that it
// is now on a monitor of another DPI, as Windows does when a window moves between monitors of
// different scales and Wine never does: WM_DPICHANGED carries a pointer to the window
// rectangle that the system suggests, which cannot cross processes. The driver sends the
// registered message below to the window with its own window in wParam and the new and the
// old DPI in lParam (low and high word). The hook suggests the window with its client area
// scaled from the old DPI to the new at the same top-left corner, sends WM_DPICHANGED and
// answers with a WM_COPYDATA holding the suggestion.

#include <windows.h>

#include <string>

#include "json.h"

extern "C" __declspec(dllexport) LRESULT CALLBACK
    DpiProbeHook(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT probe = RegisterWindowMessageW(L"PellitonDriverDpiProbe");
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == probe) {
    const int now = LOWORD(call->lParam), before = HIWORD(call->lParam);
    RECT client{}, frame{};
    GetClientRect(call->hwnd, &client);
    GetWindowRect(call->hwnd, &frame);
    RECT suggested{0, 0, MulDiv(client.right, now, before), MulDiv(client.bottom, now, before)};
    AdjustWindowRectEx(&suggested, static_cast<DWORD>(GetWindowLongW(call->hwnd, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(call->hwnd, GWL_EXSTYLE)));
    OffsetRect(&suggested, frame.left - suggested.left, frame.top - suggested.top);
    SendMessageW(call->hwnd, WM_DPICHANGED, MAKEWPARAM(now, now),
                 reinterpret_cast<LPARAM>(&suggested));
    std::string json = driver::Object().Add("suggested", driver::Rect(suggested)).Str();
    COPYDATASTRUCT data{1, static_cast<DWORD>(json.size()), json.data()};
    SendMessageW(reinterpret_cast<HWND>(call->wParam), WM_COPYDATA, 0,
                 reinterpret_cast<LPARAM>(&data));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
