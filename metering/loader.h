#pragma once

#include "metering/locale.h"
#include "metering/meter_state.h"
#include "store/settings_store.h"

namespace pelliton {

// Loads CycleDay, LastMonth, TotalDataKB, AllData, Seconds, Minutes, Hours, FreezeOn and
// ShuffleOn from the settings key, in that order. Each field is assigned as soon as it is
// read, so an error (ConvertError, RangeError, RegistryError) leaves the earlier fields
// loaded and the later ones as they were.
void LoadDataValuesFromRegistry(MeterState& state, SettingsStore& store, const Locale& locale);

}  // namespace pelliton
