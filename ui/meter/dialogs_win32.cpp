#include "ui/meter/dialogs_win32.h"

#include "ui/dialogs/all_conections_win32.h"
#include "ui/dialogs/cycle_date_win32.h"
#include "ui/dialogs/display_size_win32.h"
#include "ui/dialogs/monthly_stat_win32.h"
#include "ui/meter/about_win32.h"

namespace pelliton {

void Win32Dialogs::ShowConnectionDialog() {
  pelliton::ShowConnectionDialog(
      owner_, meter_, {ports_.state, ports_.store, ports_.table, ports_.clock, ports_.app});
}

void Win32Dialogs::ShowAboutBox() {
  pelliton::ShowAboutBox(owner_, meter_);
}

void Win32Dialogs::ShowCycleDateDialog() {
  pelliton::ShowCycleDateDialog(owner_, meter_, ports_);
}

void Win32Dialogs::ShowDisplaySizeDialog() {
  pelliton::ShowDisplaySizeDialog(owner_, meter_, ports_);
}

void Win32Dialogs::ShowStatisticsWindow() {
  pelliton::ShowStatisticsWindow(owner_, meter_, ports_);
}

}  // namespace pelliton
