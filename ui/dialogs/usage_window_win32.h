#pragma once

#include <windows.h>

#include "metering/base/locale.h"
#include "ui/dialogs/dialog_ports.h"

namespace pelliton {

// "Usage History": a new resizable window owned by `owner`, centred over the meter, shown
// modally and destroyed when it closes; the meter is raised as Stay On Top says then.
void ShowUsageHistoryWindow(HWND owner, HWND meter, const DialogPorts& ports, const Locale& locale);

}  // namespace pelliton
