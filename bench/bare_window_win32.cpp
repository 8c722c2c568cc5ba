// The floor of the start-up and memory figures: one layered, colour-keyed popup window of the
// meter's size and place, shown and left alone. No labels, no menu, no registry, no timer.
// Built with PELLITON_FLOOR, the floor of the memory figures that makes a tick's own platform
// calls: every two seconds it reads the interface table (IP Helper loaded at the first, as the
// meter loads it) and writes a connected tick's values into a key of its own.

#include <windows.h>

#include "bench/bare_window.h"

namespace {

constexpr COLORREF kKey = RGB(192, 192, 192);
constexpr int kClientWidth = 241;  // the meter's client area at 96 DPI
constexpr int kClientHeight = 38;
constexpr int kRightGap = 310;  // the meter's place when none is stored
constexpr DWORD kStyle = WS_POPUP | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_LAYERED;

#ifdef PELLITON_FLOOR
void Write(HKEY key, const char* name, const char* text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>(lstrlenA(text) + 1));
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
  static const HMODULE ipHelper = LoadLibraryW(L"iphlpapi.dll");
  using GetTable = DWORD(WINAPI*)(void**);
  using FreeTable = void(WINAPI*)(void*);
  static const auto get = reinterpret_cast<GetTable>(
      reinterpret_cast<void (*)()>(GetProcAddress(ipHelper, "GetIfTable2")));
  static const auto free = reinterpret_cast<FreeTable>(
      reinterpret_cast<void (*)()>(GetProcAddress(ipHelper, "FreeMibTable")));
  void* table = nullptr;
  if (get != nullptr && get(&table) == NO_ERROR) free(table);
  constexpr const char* kNames[] = {"LastDown",  "LastUp",  "LastUptime", "UsageOpen",
                                    "TotalData", "Seconds", "Minutes",    "Hours"};
  for (const char* name : kNames) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\PellitonBenchFloor", 0, nullptr, 0,
                        KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS)
      continue;
    Write(key, name, "1234567");
    RegCloseKey(key);
  }
}
#endif

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
#ifdef PELLITON_FLOOR
  SetTimer(window, 1, 2000, Tick);
#endif

  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
