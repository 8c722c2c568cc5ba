#include "ui/meter/dialogs_win32.h"

#include "ui/dialogs/all_conections_win32.h"
#include "ui/dialogs/cycle_date_win32.h"
#include "ui/dialogs/data_cap_win32.h"
#include "ui/dialogs/display_size_win32.h"
#include "ui/dialogs/metered_connections_win32.h"
#include "ui/dialogs/monthly_stat_win32.h"
#include "ui/dialogs/plan_hours_win32.h"
#include "ui/dialogs/usage_window_win32.h"
#include "ui/meter/about_win32.h"
#include "ui/meter/modal_scope_win32.h"

namespace pelliton {

void Win32Dialogs::ShowConnectionDialog() {
  const MeterModalScope modal(meter_);
  pelliton::ShowConnectionDialog(
      owner_, meter_, {ports_.state, ports_.store, ports_.table, ports_.clock, ports_.app});
}

void Win32Dialogs::ShowAboutBox() {
  const MeterModalScope modal(meter_);
  pelliton::ShowAboutBox(owner_, meter_, ports_.window);
}

void Win32Dialogs::ShowCycleDateDialog() {
  const MeterModalScope modal(meter_);
  pelliton::ShowCycleDateDialog(owner_, meter_, ports_);
}

void Win32Dialogs::ShowDisplaySizeDialog() {
  const MeterModalScope modal(meter_);
  pelliton::ShowDisplaySizeDialog(owner_, meter_, ports_);
}

void Win32Dialogs::ShowStatisticsWindow() {
  const MeterModalScope modal(meter_);
  pelliton::ShowStatisticsWindow(owner_, meter_, ports_);
}

void Win32Dialogs::ShowDataCapDialog() {
  const MeterModalScope modal(meter_);
  pelliton::ShowDataCapDialog(owner_, meter_, ports_, locale_);
}

void Win32Dialogs::ShowUsageHistoryWindow() {
  const MeterModalScope modal(meter_);
  pelliton::ShowUsageHistoryWindow(owner_, meter_, ports_, locale_);
}

void Win32Dialogs::ShowMeteredConnectionsDialog() {
  const MeterModalScope modal(meter_);
  pelliton::ShowMeteredConnectionsDialog(owner_, meter_, ports_, locale_);
}

void Win32Dialogs::ShowPlanDialog() {
  const MeterModalScope modal(meter_);
  pelliton::ShowPlanDialog(owner_, meter_, ports_, locale_);
}

}  // namespace pelliton
