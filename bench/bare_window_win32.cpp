// The floor of the start-up and memory figures: one layered, colour-keyed popup window of the
// meter's size and place, shown and left alone. No labels, no menu, no registry, no timer.

#include <windows.h>

#include "bench/bare_window.h"

namespace {

constexpr COLORREF kKey = RGB(192, 192, 192);
constexpr int kClientWidth = 241;  // the meter's client area at 96 DPI
constexpr int kClientHeight = 38;
constexpr int kRightGap = 310;  // the meter's place when none is stored
constexpr DWORD kStyle = WS_POPUP | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_LAYERED;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) PostQuitMessage(0);
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = CreateSolidBrush(kKey);
  windowClass.lpszClassName = PELLITON_BARE_CLASS;
  if (!RegisterClassExW(&windowClass)) return 1;

  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
  HWND window =
      CreateWindowExW(kExStyle, PELLITON_BARE_CLASS, L"Pelliton bare window", kStyle,
                      GetSystemMetrics(SM_CXSCREEN) - kRightGap, 0, frame.right - frame.left,
                      frame.bottom - frame.top, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  SetLayeredWindowAttributes(window, kKey, 0, LWA_COLORKEY);
  ShowWindow(window, SW_SHOWNORMAL);

  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
