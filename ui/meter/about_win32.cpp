#include "ui/meter/about_win32.h"

namespace pelliton {

void ShowAboutBox(HWND, HWND) {}

}  // namespace pelliton
