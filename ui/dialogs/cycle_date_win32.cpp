#include "ui/dialogs/cycle_date_win32.h"

namespace pelliton {

void ShowCycleDateDialog(HWND, HWND, const DialogPorts&) {}

}  // namespace pelliton
