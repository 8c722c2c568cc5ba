#include "metering/loader.h"

#include "store/errors.h"
#include "store/catalogue.h"

namespace pelliton {

void LoadDataValuesFromRegistry(MeterState& state, SettingsStore& store, const Locale& locale) {
  state.CycleDay = CheckedNarrow<std::uint16_t>(ReadValueNumber(store, stored::BillCycleDate));
  state.LastMonth = CheckedNarrow<std::uint16_t>(ReadValueNumber(store, stored::LastMonth));
  state.TotalDataKB = CheckedNarrow<std::uint32_t>(ReadValueNumber(store, stored::TotalData));
  state.AllData = locale.Widen(ReadValueText(store, stored::AllData));
  state.Seconds = CheckedNarrow<std::uint16_t>(ReadValueNumber(store, stored::Seconds));
  state.Minutes = CheckedNarrow<std::uint16_t>(ReadValueNumber(store, stored::Minutes));
  state.Hours = CheckedNarrow<std::uint16_t>(ReadValueNumber(store, stored::Hours));
  state.FreezeOn = ReadValueFlag(store, stored::FreezeOn);
  state.ShuffleOn = ReadValueFlag(store, stored::ShuffleOn);
}

}  // namespace pelliton
