#pragma once

#include <windows.h>

#include "ui/dialogs/dialog_ports.h"

namespace pelliton {

// "Cycle Date Selection": a new dialog owned by `owner`, centred over `meter`, shown modally and
// destroyed when it closes.
void ShowCycleDateDialog(HWND owner, HWND meter, const DialogPorts& ports);

}  // namespace pelliton
