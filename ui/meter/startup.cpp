#include "ui/meter/startup.h"

#include <exception>
#include <string>

#include "metering/sources/connection_set.h"
#include "metering/plan/cycle.h"
#include "metering/base/data_quantity.h"
#include "metering/loader.h"
#include "metering/sources/readings.h"
#include "metering/sources/router_meter.h"
#include "store/catalogue.h"
#include "store/errors.h"
#include "ui/meter/clock_color.h"
#include "ui/placement.h"

namespace pelliton {

namespace {

// Where the window goes when no position is stored: the top-right corner of the margins.
constexpr std::int64_t kDefaultRightGap = 310;

void ResetFigures(MeterState& state) {
  state.DialogAccepted = false;
  state.AdapterBound = false;
  state.AdapterRow = kUnlocatedRow;
  state.Seconds = 0;
  state.Minutes = 0;
  state.Hours = 0;
  state.TotalDataKB = 0;
  state.FreezeOn = false;
  state.ShuffleOn = false;
}

// Stores the autostart entry and reads it back: a key that cannot be opened skips the
// write without a word, so only the value read back says that it is there.
// The path goes in as it is, in any script the folders' names use.
void StoreAutostart(const FormPorts& ports) {
  const std::u16string path = ports.app.ExePath();
  const StoredValue& entry = stored::Autostart;
  ports.store.WriteRegistryWide(RootKey::CurrentUser, entry.key, entry.name, path);
  if (ports.store.ReadRegistryWide(RootKey::CurrentUser, entry.key, entry.name) != path) {
    throw RegistryError::FailedToSetData(stored::Autostart.name);
  }
}

// The first run: the autostart entry is absent or empty. The labels stay hidden while the
// connection is chosen; a cancelled choice ends the program once the sequence is done.
// An entry that could not be stored is returned, for the error box once the meter runs:
// this start counts, and the next one is a first run again.
std::exception_ptr InstallOnFirstRun(MeterState& state, const FormPorts& ports) {
  ports.window.SetLabelsVisible(false);
  ports.dialogs.ShowConnectionDialog();
  if (!state.DialogAccepted) {
    ports.app.ShowBox("Pelliton installation cancelled", "Installation Cancel");
    ports.app.Terminate();
    return nullptr;
  }
  ForgetReadings(state, ports.store);
  MeterNetworkTypeAlone(state, ports.store);
  std::exception_ptr failure;
  try {
    StoreAutostart(ports);
    ports.app.ShowMessage("Zorvane Live Pelliton has been installed successfully.");
  } catch (const RegistryError&) {
    failure = std::current_exception();
  }
  ports.window.SetLabelsVisible(true);
  return failure;
}

void RestoreWindowOptions(MeterState& state, const FormPorts& ports, BadValues& bad) {
  state.NetworkType = ReadValueText(ports.store, stored::NetworkType, bad);
  state.Connections = LoadNetworkSet(ports.store, state.NetworkType);
  state.NetworkType = state.Connections.front().description;
  ports.window.SetTop(CheckedNarrow<std::int32_t>(ReadValueNumber(ports.store, stored::Top, bad)));
  const std::int64_t defaultLeft = ports.app.ScreenWidth() - kDefaultRightGap;
  ports.window.SetLeft(
      CheckedNarrow<std::int32_t>(ReadValueNumber(ports.store, stored::Left, defaultLeft, bad)));
  state.FontSize = CheckedNarrow<std::uint8_t>(ReadValueNumber(ports.store, stored::FontSize, bad));
  // A silver stored from outside would hide every text; the stored text stays as it is.
  state.ClockColor = VisibleTextColor(
      CheckedNarrow<std::int32_t>(ReadValueNumber(ports.store, stored::Color, bad)));
}

void StyleLabels(const MeterState& state, MeterWindow& window) {
  window.SetLabel1FontSize(state.FontSize);
  window.SetLabelsColor(state.ClockColor);
  const LabelTops tops = LabelTopsFor(state.FontSize);
  window.SetLabelTops(tops.label2, tops.label3);
  window.SetMenuChecked(MenuItem::Freeze1, state.FreezeOn);
  window.SetMenuChecked(MenuItem::Shuffle1, state.ShuffleOn);
}

}  // namespace

void RunStartUp(MeterState& state, const FormPorts& ports) {
  ResetFigures(state);
  const LocalDateTime today = ports.clock.Now();
  state.TodayMonth = today.Month;
  state.TodayDay = today.Day;
  // A bad stored value reads as absent and the sequence goes on; the first failure of the
  // sequence is shown once the meter runs.
  BadValues failures;
  if (ReadValueText(ports.store, stored::Autostart, failures).empty()) {
    failures.Keep(InstallOnFirstRun(state, ports));
  }
  RestoreWindowOptions(state, ports, failures);
  state.NetworkRouter = LoadNetworkRouter(ports.store);
  BringBackOnScreen(ports.window, ports.app);  // stored only at the next release
  LoadDataValuesFromRegistry(state, ports.store, ports.locale, failures);
  LoadCycleStart(state, ports.store);
  ports.window.HideTaskbarButton();
  StyleLabels(state, ports.window);
  state.AdapterBound = false;
  ports.window.SetLabel1(FormatDataQuantity(state.TotalDataKB, ports.locale.NumberSeparators()));
  ports.window.SetTimer1Enabled(true);
  const bool stayOnTop = ReadValueFlag(ports.store, stored::StayTop, failures);
  ports.window.SetTopmost(stayOnTop);
  ports.window.SetMenuChecked(MenuItem::StayOnTop1, stayOnTop);
  const bool showMeter = ReadValueFlag(ports.store, stored::ShowMeter, failures);
  ports.window.SetMenuChecked(MenuItem::ShowMeter1, showMeter);
  ports.window.SetMeterShown(showMeter);
  failures.RaiseFirst();
}

}  // namespace pelliton
