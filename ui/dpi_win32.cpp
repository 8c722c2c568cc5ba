// The functions that tell a DPI per window or monitor are looked up when needed: the oldest
// Windows the program runs on lack them, and then the system DPI is the only one.
#include "ui/dpi_win32.h"

#include "ui/system_function_win32.h"

namespace pelliton {

namespace {

template <class Function>
Function User32(const char* name) {
  return SystemFunction<Function>(L"user32.dll", name);
}

}  // namespace

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : kLayoutDpi;
  if (screen != nullptr) ReleaseDC(nullptr, screen);
  return UsableDpi(dpi) ? dpi : kLayoutDpi;
}

int WindowDpi(HWND window) {
  using Function = UINT(WINAPI*)(HWND);
  static const auto forWindow = User32<Function>("GetDpiForWindow");
  const int dpi =
      forWindow != nullptr && window != nullptr ? static_cast<int>(forWindow(window)) : 0;
  return UsableDpi(dpi) ? dpi : SystemDpi();
}

int SmallIconSizeForDpi(int dpi) {
  using Function = int(WINAPI*)(int, UINT);
  static const auto forDpi = User32<Function>("GetSystemMetricsForDpi");
  const int size = forDpi != nullptr ? forDpi(SM_CXSMICON, static_cast<UINT>(dpi)) : 0;
  if (size > 0) return size;
  return SmallIconSize(dpi, GetSystemMetrics(SM_CXSMICON), SystemDpi());
}

std::optional<int> ChangedDpi(WPARAM wParam) {
  const int dpi = HIWORD(wParam);  // the vertical one; Windows gives both the same
  if (!UsableDpi(dpi)) return std::nullopt;
  return dpi;
}

void KeepDialogLayoutOwn(HWND dialog) {
  using Function = BOOL(WINAPI*)(HWND, int, int);
  static const auto behaviour = User32<Function>("SetDialogDpiChangeBehavior");
  constexpr int kDisableAll = 1;  // DDC_DISABLE_ALL
  if (behaviour != nullptr) behaviour(dialog, kDisableAll, kDisableAll);
}

}  // namespace pelliton
