// The window option commands of the popup menu: Stay On Top, Freeze, Shuffle, the text
// colour, the web site, About and Show Meter.
#include "store/catalogue.h"
#include "ui/ids.h"
#include "ui/meter/clock_color.h"
#include "ui/meter/pelliton_unit.h"

namespace pelliton {

namespace {

// A toggle decides by its item's check mark. The store comes first, so that a failed write
// leaves the option, the window and the mark as they were.
template <class Apply>
void Toggle(MeterWindow& window, SettingsStore& store, MenuItem item, const StoredValue& value,
            Apply apply) {
  const bool on = !window.MenuChecked(item);
  WriteValueFlag(store, value, on);
  apply(on);
  window.SetMenuChecked(item, on);
}

}  // namespace

void TPellitonForm::StayOnTop1Click() {
  MeterWindow& window = ports_.window;
  Toggle(window, ports_.store, MenuItem::StayOnTop1, stored::StayTop,
         [&window](bool on) { window.SetTopmost(on); });
}

// The labels change at the next tick, which reads the flag.
void TPellitonForm::Freeze1Click() {
  Toggle(ports_.window, ports_.store, MenuItem::Freeze1, stored::FreezeOn,
         [this](bool on) { state_.FreezeOn = on; });
}

void TPellitonForm::Shuffle1Click() {
  Toggle(ports_.window, ports_.store, MenuItem::Shuffle1, stored::ShuffleOn,
         [this](bool on) { state_.ShuffleOn = on; });
}

// The dialog keeps its own colour for the run: black at first, then the last one confirmed
// in it. Cancelled, the current colour is applied and stored again all the same.
void TPellitonForm::ClockColor1Click() {
  if (const auto chosen = ports_.window.ExecuteColorDialog1(colorDialog1Color_)) {
    colorDialog1Color_ = *chosen;
    state_.ClockColor = VisibleTextColor(*chosen);
  }
  ports_.window.SetLabelsColor(state_.ClockColor);
  WriteValueNumber(ports_.store, stored::Color, state_.ClockColor);
}

void TPellitonForm::WebSite1Click() {
  ports_.window.ShellOpen(PELLITON_WEB_SITE_URL);
}

void TPellitonForm::About1Click() {
  ports_.dialogs.ShowAboutBox();
}

// The icon in the notification area stays, so the meter can always be had back.
void TPellitonForm::ShowMeter1Click() {
  MeterWindow& window = ports_.window;
  Toggle(window, ports_.store, MenuItem::ShowMeter1, stored::ShowMeter,
         [&window](bool on) { window.SetMeterShown(on); });
}

}  // namespace pelliton
