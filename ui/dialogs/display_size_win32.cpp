#include "ui/dialogs/display_size_win32.h"

namespace pelliton {

void ShowDisplaySizeDialog(HWND, HWND, const DialogPorts&) {}

}  // namespace pelliton
