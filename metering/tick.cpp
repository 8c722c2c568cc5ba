#include "metering/tick.h"

#include "metering/accounting.h"
#include "metering/all_data.h"
#include "metering/allowance.h"
#include "metering/data_quantity.h"
#include "metering/loader.h"
#include "store/catalogue.h"
#include "store/errors.h"

namespace pelliton {

void Timer1Timer(MeterContext& meter) {
  MeterState& state = meter.state;
  meter.view.SetTimer1Enabled(false);
  const LocalDateTime now = meter.clock.Now();
  state.TodayMonth = now.Month;
  state.TodayDay = now.Day;
  const int diff = int{state.TodayMonth} - int{state.LastMonth};

  if (GetConnectedState(meter) == 1) {
    if (RolloverDue(state, diff)) RollOver(meter, now);
    WatchAllowance(meter, now);
    // The connected time stops at the longest the fields hold rather than overflow Hours.
    if (ConnectedSeconds(state) + 2 <= kLongestConnectedTime) {
      state.Seconds = CheckedAdd(state.Seconds, 2);
    }
  }
  meter.view.SetTimer1Enabled(true);
}

// A step of one month waits for the cycle day; a jump of two or more months, counted
// across the turn of the year, rolls over at once.
bool RolloverDue(const MeterState& state, int diff) {
  return (state.TodayMonth != state.LastMonth && state.TodayDay >= state.CycleDay) ||
         (diff >= -10 && diff <= -1) || diff >= 2;
}

void RollOver(MeterContext& meter, const LocalDateTime& today) {
  MeterState& state = meter.state;
  const std::u16string date = FormatCycleDate(today, meter.locale);
  const std::u16string total =
      meter.locale.Widen(FormatDataQuantity(state.TotalDataKB, meter.locale.NumberSeparators()));
  state.AllData = InsertFinishedCycle(state.AllData, date, total, state.Hours, state.Minutes);
  WriteValueText(meter.store, stored::AllData, meter.locale.Narrow(state.AllData));

  state.LastMonth = state.TodayMonth;
  RestartCycle(meter, state.LastMonth);
}

void RestartCycle(MeterContext& meter, std::uint16_t storedLastMonth) {
  RestartCycle(meter.state, meter.store, storedLastMonth);
}

void RestartCycle(MeterState& state, SettingsStore& store, std::uint16_t storedLastMonth) {
  state.DownDeltaKB = 0;
  state.UpDeltaKB = 0;
  state.TotalDataKB = 0;
  state.Seconds = 0;
  state.Minutes = 0;
  state.Hours = 0;
  WriteValueNumber(store, stored::TotalData, 0);
  WriteValueNumber(store, stored::LastMonth, storedLastMonth);
  WriteValueNumber(store, stored::Seconds, 0);
  WriteValueNumber(store, stored::Minutes, 0);
  WriteValueNumber(store, stored::Hours, 0);
  RearmAllowanceWarnings(store);
}

}  // namespace pelliton
