#pragma once

#include <windows.h>

#include "ui/dialogs/dialog_ports.h"

namespace pelliton {

// "Alter Display Size": a new dialog owned by `owner`, centred over `meter`, shown modally and
// destroyed when it closes.
void ShowDisplaySizeDialog(HWND owner, HWND meter, const DialogPorts& ports);

}  // namespace pelliton
