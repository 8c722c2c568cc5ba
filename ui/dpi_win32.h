#pragma once

#include <windows.h>

#include <optional>

#include "ui/dpi_layout.h"

#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace pelliton {

// Dots per inch of the screen as the system reports it to this process.
int SystemDpi();

// The DPI of the monitor that `window` is on, where the system tells it per window (Windows 10
// and later); the system's otherwise.
int WindowDpi(HWND window);

// The side of a small icon (the notification area's) at `dpi`.
int SmallIconSizeForDpi(int dpi);

// The DPI that a WM_DPICHANGED carries; none when it is no DPI to lay out at.
std::optional<int> ChangedDpi(WPARAM wParam);

// The dialog manager's own scaling at a DPI change is turned off for `dialog`: it lays
// itself out again.
void KeepDialogLayoutOwn(HWND dialog);

}  // namespace pelliton
