#include "metering/loader.h"

#include <algorithm>

#include "store/catalogue.h"
#include "store/errors.h"

namespace pelliton {

namespace {

// Seconds and Minutes below 60; a time longer than the fields can hold stops at the longest.
void SetConnectedTime(MeterState& state, std::int64_t seconds) {
  seconds = std::min(seconds, kLongestConnectedTime);
  state.Hours = CheckedNarrow<std::uint16_t>(seconds / 3600);
  state.Minutes = CheckedNarrow<std::uint16_t>(seconds / 60 % 60);
  state.Seconds = CheckedNarrow<std::uint16_t>(seconds % 60);
}

}  // namespace

std::int64_t ConnectedSeconds(const MeterState& state) {
  return std::int64_t{state.Hours} * 3600 + std::int64_t{state.Minutes} * 60 + state.Seconds;
}

void LoadDataValuesFromRegistry(MeterState& state, SettingsStore& store, const Locale& locale) {
  state.CycleDay = CheckedNarrow<std::uint16_t>(ReadValueNumber(store, stored::BillCycleDate));
  state.LastMonth = CheckedNarrow<std::uint16_t>(ReadValueNumber(store, stored::LastMonth));
  state.TotalDataKB = CheckedNarrow<std::uint32_t>(ReadValueNumber(store, stored::TotalData));
  state.AllData = locale.Widen(ReadValueText(store, stored::AllData));
  state.Seconds = CheckedNarrow<std::uint16_t>(ReadValueNumber(store, stored::Seconds));
  state.Minutes = CheckedNarrow<std::uint16_t>(ReadValueNumber(store, stored::Minutes));
  state.Hours = CheckedNarrow<std::uint16_t>(ReadValueNumber(store, stored::Hours));
  SetConnectedTime(state, ConnectedSeconds(state));
  state.FreezeOn = ReadValueFlag(store, stored::FreezeOn);
  state.ShuffleOn = ReadValueFlag(store, stored::ShuffleOn);
}

}  // namespace pelliton
