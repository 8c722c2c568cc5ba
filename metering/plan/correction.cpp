// The correction of the cycle's total to the provider's figure.
#include "metering/history/usage_history.h"
#include "metering/meter_state.h"
#include "metering/plan/allowance.h"
#include "store/catalogue.h"

namespace pelliton {

void CorrectCycleTotal(MeterState& state, SettingsStore& store, const LocalDateTime& now,
                       std::uint32_t totalKB) {
  const std::int64_t correction = std::int64_t{totalKB} - std::int64_t{state.TotalDataKB};
  if (correction != 0) {
    state.History.Correct(store, now, correction, totalKB);
    try {
      // A key that cannot be opened takes no write and says nothing: only reading back tells.
      WriteValueNumber(store, stored::TotalData, totalKB);
      if (ReadValueNumber(store, stored::TotalData) != totalKB)
        throw RegistryError::FailedToSetData(stored::TotalData.name);
    } catch (...) {
      state.History = UsageHistory{};  // reloads, and takes the correction back
      throw;
    }
    state.TotalDataKB = totalKB;
  }
  // A warning whose threshold the new total is below may come again; one it has reached
  // comes on the next connected tick.
  RearmWarningsBelowTotal(state, store);
}

}  // namespace pelliton
