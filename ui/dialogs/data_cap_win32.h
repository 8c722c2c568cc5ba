#pragma once

#include <windows.h>

#include "metering/base/locale.h"
#include "ui/dialogs/dialog_ports.h"

namespace pelliton {

// "Monthly Data Cap": a new dialog owned by `owner`, centred over `meter`, shown modally and
// destroyed when it closes; then the meter is raised into the topmost band.
void ShowDataCapDialog(HWND owner, HWND meter, const DialogPorts& ports, const Locale& locale);
// The same, laid out for `dpi` dots per inch instead of the screen's.
void ShowDataCapDialog(HWND owner, HWND meter, const DialogPorts& ports, const Locale& locale,
                       int dpi);

}  // namespace pelliton
