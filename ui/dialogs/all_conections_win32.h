#pragma once

#include <windows.h>

#include "ui/dialogs/all_conections.h"

namespace pelliton {

// "Select Appropriate Connection": creates a new dialog owned by `owner`, centred over
// `meter`, shows it modally and destroys it when it closes. The outcome reaches the caller
// through state.DialogAccepted and the stored "NetworkType" only.
void ShowConnectionDialog(HWND owner, HWND meter, const ConnectionDialogPorts& ports);

}  // namespace pelliton
