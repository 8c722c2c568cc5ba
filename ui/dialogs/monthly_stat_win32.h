#pragma once

#include <windows.h>

#include "ui/dialogs/dialog_ports.h"

namespace pelliton {

// "Zorvane Pelliton Monthly Stats": a new window owned by `owner`, centred on the screen, shown
// modally and destroyed when it closes; the meter window (reached through ports.window) is
// raised as Stay On Top says then.
void ShowStatisticsWindow(HWND owner, HWND meter, const DialogPorts& ports);

}  // namespace pelliton
