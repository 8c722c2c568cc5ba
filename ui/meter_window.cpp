#include "ui/meter_window.h"

namespace pelliton {

void RaiseMeter(MeterWindow& window) {
  if (window.MenuChecked(MenuItem::StayOnTop1)) {
    window.SetTopmost(true);
    return;
  }
  window.SetTopmost(false);  // out of the topmost band, should anything have put it there
  window.BringToTop();
}

}  // namespace pelliton
