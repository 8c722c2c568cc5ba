#pragma once

#include <windows.h>

#include "ui/meter_window.h"

namespace pelliton {

// The About box: a new box owned by `owner`, centred over `meter` (`window` is its port), shown
// modally and destroyed when it closes.
void ShowAboutBox(HWND owner, HWND meter, MeterWindow& window);

}  // namespace pelliton
