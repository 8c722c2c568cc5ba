#include "ui/meter/pelliton_unit.h"

#include <algorithm>

#include "metering/accounting.h"
#include "metering/plan/allowance.h"
#include "metering/plan/plan_usage.h"
#include "metering/sources/connection_set.h"
#include "metering/loader.h"
#include "metering/sources/readings.h"
#include "metering/sources/router_meter.h"
#include "metering/tick.h"
#include "metering/history/usage_history.h"
#include "store/catalogue.h"
#include "store/errors.h"
#include "ui/meter/startup.h"
#include "ui/placement.h"

namespace pelliton {

namespace {
constexpr std::uint32_t kPlatformWindows = 1;
constexpr std::uint32_t kPlatformNt = 2;
constexpr std::int64_t kMenuDrop = 30;  // the menu opens this far below the window's top
}  // namespace

std::string GetPlatformName(std::uint32_t platformId) {
  if (platformId == kPlatformWindows) return "Win98";
  if (platformId == kPlatformNt) return "WinNT";
  return {};
}

TPellitonForm::TPellitonForm(MeterState& state, const FormPorts& ports)
    : state_(state), ports_(ports), meter_{state,        ports.store,  ports.table, ports.clock,
                                           ports.locale, ports.window, ports.router} {}

bool TPellitonForm::FormCreate(std::uint32_t platformId) {
  if (GetPlatformName(platformId) == "WinNT") return true;
  ports_.app.ShowBox("This Software is for Windows 2000/XP/NT only.",
                     "Windows Version Compatibility Error");
  return false;
}

void TPellitonForm::FormActivate() {
  if (activated_) return;
  activated_ = true;
  try {
    RunStartUp(state_, ports_);
  } catch (...) {  // a bad stored value: the sequence has run to its end all the same
    ShowTrayStatus();
    throw;
  }
  ShowTrayStatus();
}

// A tick that fails has set what it could; the icon shows that too.
void TPellitonForm::Timer1Timer() {
  try {
    pelliton::Timer1Timer(meter_);
  } catch (...) {
    ShowTrayStatus();
    throw;
  }
  ShowTrayStatus();
}

void TPellitonForm::ShowTrayStatus() {
  if (!state_.DataCap) state_.DataCap = ReadAllowance(ports_.store);
  KnownPlanSettings(state_, ports_.store);
  KnownPlanFigures(state_, ports_.store);
  ports_.window.ShowTrayStatus(TrayStatusOf(state_, ports_.clock.Now(), ports_.locale));
}

std::uint8_t TPellitonForm::GetConnectedState() {
  return pelliton::GetConnectedState(meter_);
}

void TPellitonForm::Get_IfTableMIB(Snapshot& snapshot) {
  pelliton::Get_IfTableMIB(ports_.table, snapshot);
}

void TPellitonForm::LoadDataValuesFromRegistry() {
  pelliton::LoadDataValuesFromRegistry(state_, ports_.store, ports_.locale);
}

void TPellitonForm::WriteRegistry(RootKey root, std::string_view key, std::string_view name,
                                  std::string_view value) {
  ports_.store.WriteRegistry(root, key, name, value);
}

std::string TPellitonForm::ReadRegistry(RootKey root, std::string_view key, std::string_view name) {
  return ports_.store.ReadRegistry(root, key, name);
}

void TPellitonForm::DeleteRegistry(RootKey root, std::string_view key) {
  ports_.store.DeleteRegistry(root, key);
}

void TPellitonForm::Label1MouseDown(MouseButton button, std::int32_t x, std::int32_t y) {
  state_.DragStartX = x;
  state_.DragStartY = y;
  if (button != MouseButton::Right) return;
  MeterWindow& window = ports_.window;
  window.OpenPopupMenu({window.Left(), CheckedAdd<std::int32_t>(window.Top(), kMenuDrop)});
}

void TPellitonForm::Label1MouseMove(bool leftHeld, std::int32_t x, std::int32_t y) {
  if (!leftHeld) return;
  MeterWindow& window = ports_.window;
  const std::int64_t dy = std::int64_t{y} - state_.DragStartY;
  window.SetTop(CheckedAdd<std::int32_t>(window.Top(), dy));
  const std::int64_t dx = std::int64_t{x} - state_.DragStartX;
  window.SetLeft(CheckedAdd<std::int32_t>(window.Left(), dx));
}

void TPellitonForm::Label1MouseUp(MouseButton button, std::int32_t, std::int32_t) {
  MeterWindow& window = ports_.window;
  ClampWindow(window, ports_.app, button == MouseButton::Left);
  // Stored on every release, moved or not; a failed "Top" leaves "Left" unwritten.
  WriteValueNumber(ports_.store, stored::Top, window.Top());
  WriteValueNumber(ports_.store, stored::Left, window.Left());
}

void TPellitonForm::MenuCommand(MenuItem item) {
  switch (item) {
    case MenuItem::Shuffle1:
      return Shuffle1Click();
    case MenuItem::Freeze1:
      return Freeze1Click();
    case MenuItem::UsageStatistics1:
      return UsageStatistics1Click();
    case MenuItem::CycleDate1:
      return CycleDate1Click();
    case MenuItem::ClockColor1:
      return ClockColor1Click();
    case MenuItem::DisplayFontSize1:
      return DisplayFontSize1Click();
    case MenuItem::ChangeNetworkAdaptor1:
      return ChangeNetworkAdaptor1Click();
    case MenuItem::StayOnTop1:
      return StayOnTop1Click();
    case MenuItem::ExitMenu1:
      return;  // only closes the menu
    case MenuItem::RemoveThisProgram1:
      return RemoveThisProgram1Click();
    case MenuItem::WebSite1:
      return WebSite1Click();
    case MenuItem::About1:
      return About1Click();
    case MenuItem::DataCap1:
      return DataCap1Click();
    case MenuItem::UsageHistory1:
      return UsageHistory1Click();
    case MenuItem::MeteredConnections1:
      return MeteredConnections1Click();
    case MenuItem::PlanHours1:
      return PlanHours1Click();
    case MenuItem::ShowMeter1:
      return ShowMeter1Click();
  }
}

void TPellitonForm::UsageStatistics1Click() {
  ports_.dialogs.ShowStatisticsWindow();
}

void TPellitonForm::CycleDate1Click() {
  ports_.dialogs.ShowCycleDateDialog();
}

void TPellitonForm::DisplayFontSize1Click() {
  ports_.dialogs.ShowDisplaySizeDialog();
}

void TPellitonForm::DataCap1Click() {
  ports_.dialogs.ShowDataCapDialog();
}

void TPellitonForm::UsageHistory1Click() {
  ports_.dialogs.ShowUsageHistoryWindow();
}

void TPellitonForm::MeteredConnections1Click() {
  ports_.dialogs.ShowMeteredConnectionsDialog();
}

void TPellitonForm::PlanHours1Click() {
  ports_.dialogs.ShowPlanDialog();
}

void TPellitonForm::ChangeNetworkAdaptor1Click() {
  if (!ports_.app.AskYesNo(
          "Changing Network Adaptor will clear all the previous data. Do you want to countinue?",
          "Conformation")) {
    return;
  }
  state_.DialogAccepted = false;
  ports_.dialogs.ShowConnectionDialog();
  if (state_.DialogAccepted) {
    // The one connection chosen is this PC's.
    ChooseRouter(state_, ports_.store, meter_.router, {});
    ForgetReadings(state_, ports_.store);
    MeterNetworkTypeAlone(state_, ports_.store);
    RestartCycle(meter_, ports_.clock.Now());
    state_.AdapterRow = kUnlocatedRow;
    state_.NetworkType = ReadValueText(ports_.store, stored::NetworkType);
  }
  state_.AdapterBound = false;
}

void TPellitonForm::StartUpEnded() {
  // Read now, after the first paint, rather than by the first tick: no tick parses the
  // history but after a write of it failed.
  ReadUsageHistory(state_, ports_.store);
  // A first run has just asked; a cancelled one is ending.
  if (state_.DialogAccepted || ports_.app.Terminated()) return;
  const std::string& name = state_.NetworkType;
  if (std::any_of(name.begin(), name.end(), [](unsigned char c) { return c > ' '; })) return;
  ports_.dialogs.ShowConnectionDialog();
  if (!state_.DialogAccepted) return;
  // Nothing was counted without a connection: the readings of an earlier one go.
  ForgetReadings(state_, ports_.store);
  MeterNetworkTypeAlone(state_, ports_.store);
  state_.NetworkType = ReadValueText(ports_.store, stored::NetworkType);
  state_.AdapterRow = kUnlocatedRow;
  state_.AdapterBound = false;
}

}  // namespace pelliton
