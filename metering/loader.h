#pragma once

#include <cstdint>

#include "metering/base/locale.h"
#include "metering/meter_state.h"
#include "store/catalogue.h"
#include "store/settings_store.h"

namespace pelliton {

// Loads CycleDay, LastMonth, TotalDataKB, AllData, Seconds, Minutes, Hours, FreezeOn and
// ShuffleOn from the settings key, in that order. A bad stored value (one that does not
// convert, is out of range or of another type) loads as absent, its default, and the rest
// loads all the same; `bad` keeps it, the first form drops it (a binding, whose start-up
// has reported it already). Once Hours is read, the connected time is carried (Seconds and
// Minutes of 60 or more into the next field, at most 65535:59:59), so that no stored time
// in range can make a later tick overflow it.
void LoadDataValuesFromRegistry(MeterState& state, SettingsStore& store, const Locale& locale);
void LoadDataValuesFromRegistry(MeterState& state, SettingsStore& store, const Locale& locale,
                                BadValues& bad);

// The longest connected time Hours:Minutes:Seconds can hold, 65535:59:59, in seconds.
inline constexpr std::int64_t kLongestConnectedTime = std::int64_t{65535} * 3600 + 59 * 60 + 59;

// Hours, Minutes and Seconds taken together, in seconds.
std::int64_t ConnectedSeconds(const MeterState& state);

}  // namespace pelliton
