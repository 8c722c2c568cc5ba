#pragma once

#include <windows.h>

#include "ui/dialogs/dialog_ports.h"

namespace pelliton {

// "Cycle Date Selection": a new dialog owned by `owner`, centred over `meter`, shown modally and
// destroyed when it closes; then the meter is raised as Stay On Top says.
void ShowCycleDateDialog(HWND owner, HWND meter, const DialogPorts& ports);
// The same, laid out for `dpi` dots per inch instead of the screen's.
void ShowCycleDateDialog(HWND owner, HWND meter, const DialogPorts& ports, int dpi);

}  // namespace pelliton
