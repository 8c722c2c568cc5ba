#include "ui/meter/dialogs_win32.h"

namespace pelliton {

void Win32Dialogs::ShowConnectionDialog() {
  pelliton::ShowConnectionDialog(owner_, meter_, ports_);
}

}  // namespace pelliton
