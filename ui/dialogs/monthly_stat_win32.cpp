#include "ui/dialogs/monthly_stat_win32.h"

namespace pelliton {

void ShowStatisticsWindow(HWND, HWND, const DialogPorts&) {}

}  // namespace pelliton
