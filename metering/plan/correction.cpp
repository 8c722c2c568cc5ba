// The correction of the cycle's total to the provider's figure.
#include <algorithm>
#include <limits>

#include "metering/history/usage_history.h"
#include "metering/meter_state.h"
#include "metering/plan/allowance.h"
#include "metering/plan/plan_usage.h"
#include "store/catalogue.h"

namespace pelliton {

void CorrectCycleTotal(MeterState& state, SettingsStore& store, const LocalDateTime& now,
                       std::uint32_t usedKB) {
  // The figure applies to the main allowance: the window's traffic that counts elsewhere
  // stays beside it in the total.
  PlanFigures figures = KnownPlanFigures(state, store);
  figures.total = state.TotalDataKB;
  const std::uint64_t outside =
      std::min<std::uint64_t>(OutsideMainKB(KnownPlanSettings(state, store), figures), state.TotalDataKB);
  const auto totalKB = static_cast<std::uint32_t>(
      std::min<std::uint64_t>(usedKB + outside, std::numeric_limits<std::uint32_t>::max()));
  const std::int64_t correction = std::int64_t{totalKB} - std::int64_t{state.TotalDataKB};
  if (correction != 0) {
    state.History.Correct(store, now, correction, totalKB);
    try {
      figures.total = totalKB;
      figures.addedKB = figures.addedWindowKB = figures.addedDayKB = figures.addedDayWindowKB = 0;
      state.Plan.reset();
      WriteValueText(store, stored::PlanData, FormatPlanFigures(figures));
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
