#pragma once

#include <windows.h>

#include "metering/base/locale.h"
#include "ui/dialogs/dialog_ports.h"

namespace pelliton {

// "Plan Hours": the off-peak hours and the daily allowance beside the monthly one. A new
// dialog owned by `owner`, centred over `meter`, shown modally and destroyed when it closes;
// then the meter is raised as Stay On Top says.
void ShowPlanDialog(HWND owner, HWND meter, const DialogPorts& ports, const Locale& locale);
// The same, laid out for `dpi` dots per inch instead of the meter's.
void ShowPlanDialog(HWND owner, HWND meter, const DialogPorts& ports, const Locale& locale,
                    int dpi);

}  // namespace pelliton
