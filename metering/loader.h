#pragma once

#include <cstdint>

#include "metering/locale.h"
#include "metering/meter_state.h"
#include "store/settings_store.h"

namespace pelliton {

// Loads CycleDay, LastMonth, TotalDataKB, AllData, Seconds, Minutes, Hours, FreezeOn and
// ShuffleOn from the settings key, in that order. Each field is assigned as soon as it is
// read, so an error (ConvertError, RangeError, RegistryError) leaves the earlier fields
// loaded and the later ones as they were. Once Hours is read, the connected time is carried
// (Seconds and Minutes of 60 or more into the next field, at most 65535:59:59), so that
// no stored time in range can make a later tick overflow it.
void LoadDataValuesFromRegistry(MeterState& state, SettingsStore& store, const Locale& locale);

// The longest connected time Hours:Minutes:Seconds can hold, 65535:59:59, in seconds.
inline constexpr std::int64_t kLongestConnectedTime = std::int64_t{65535} * 3600 + 59 * 60 + 59;

// Hours, Minutes and Seconds taken together, in seconds.
std::int64_t ConnectedSeconds(const MeterState& state);

}  // namespace pelliton
