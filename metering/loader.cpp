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
  BadValues unreported;
  LoadDataValuesFromRegistry(state, store, locale, unreported);
}

void LoadDataValuesFromRegistry(MeterState& state, SettingsStore& store, const Locale& locale,
                                BadValues& bad) {
  const auto number = [&](const StoredValue& value) { return ReadValueNumber(store, value, bad); };
  state.CycleDay = CheckedNarrow<std::uint16_t>(number(stored::BillCycleDate));
  state.LastMonth = CheckedNarrow<std::uint16_t>(number(stored::LastMonth));
  state.TotalDataKB = CheckedNarrow<std::uint32_t>(number(stored::TotalData));
  state.AllData = locale.Widen(ReadValueText(store, stored::AllData, bad));
  state.Seconds = CheckedNarrow<std::uint16_t>(number(stored::Seconds));
  state.Minutes = CheckedNarrow<std::uint16_t>(number(stored::Minutes));
  state.Hours = CheckedNarrow<std::uint16_t>(number(stored::Hours));
  SetConnectedTime(state, ConnectedSeconds(state));
  state.FreezeOn = ReadValueFlag(store, stored::FreezeOn, bad);
  state.ShuffleOn = ReadValueFlag(store, stored::ShuffleOn, bad);
  state.Plan.reset();  // the plan's figures follow the stored total on their next use
}

}  // namespace pelliton
