// The window option commands of the popup menu: Stay On Top, Freeze, Shuffle, the text
// colour, the web site and About.
#include "ui/meter/pelliton_unit.h"

namespace pelliton {

void TPellitonForm::StayOnTop1Click() {}
void TPellitonForm::Freeze1Click() {}
void TPellitonForm::Shuffle1Click() {}
void TPellitonForm::ClockColor1Click() {}
void TPellitonForm::WebSite1Click() {}
void TPellitonForm::About1Click() {}

}  // namespace pelliton
