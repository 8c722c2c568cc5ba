#pragma once

#include "metering/base/clock.h"
#include "metering/sources/interface_table.h"
#include "metering/meter_state.h"
#include "store/settings_store.h"
#include "ui/meter_window.h"

namespace pelliton {

// Everything the dialogs opened from the meter work with.
struct DialogPorts {
  MeterState& state;
  SettingsStore& store;
  InterfaceTable& table;
  const Clock& clock;
  Application& app;
  MeterWindow& window;
  RouterSource* router = nullptr;  // the household's router, where the platform reads one
};

}  // namespace pelliton
