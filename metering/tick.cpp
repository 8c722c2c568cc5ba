#include "metering/tick.h"

#include <utility>

#include "metering/accounting.h"
#include "metering/history/all_data.h"
#include "metering/plan/allowance.h"
#include "metering/plan/cycle.h"
#include "metering/plan/plan_usage.h"
#include "metering/plan/plan_view.h"
#include "metering/base/data_quantity.h"
#include "metering/loader.h"
#include "metering/history/usage_history.h"
#include "store/catalogue.h"
#include "store/errors.h"

namespace pelliton {

namespace {

std::uint16_t DaysInMonth(std::uint16_t year, std::uint16_t month) {
  if (month == 2) {
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return leap ? 29 : 28;
  }
  return month == 4 || month == 6 || month == 9 || month == 11 ? 30 : 31;
}

bool Earlier(const LocalDateTime& a, const LocalDateTime& b) {
  if (a.Year != b.Year) return a.Year < b.Year;
  if (a.Month != b.Month) return a.Month < b.Month;
  return a.Day < b.Day;
}

// Whether the rollover due today has stored its record already: the cycle at the head of
// AllData began on or after the billing day that ended the one before. Only a rollover cut
// short after its record (a kill, a write that failed) leaves that.
bool Recorded(const MeterState& state, const LocalDateTime& today, const Locale& locale) {
  const std::optional<LocalDateTime> head = CycleStartDate(state.AllData, locale);
  const auto start = head ? DayOf(*head) : std::nullopt;
  const auto day = DayOf(today);
  return start && day && *start <= *day && *start >= LastBillingDay(state.CycleDay, *day);
}

void Tick(MeterContext& meter, const LocalDateTime& now) {
  MeterState& state = meter.state;
  state.TodayMonth = now.Month;
  state.TodayDay = now.Day;
  state.TickTime = now;
  const int diff = int{state.TodayMonth} - int{state.LastMonth};

  if (GetConnectedState(meter) == 1) {
    if (RolloverDue(state, diff, now, meter.locale)) RollOver(meter, now);
    WatchAllowance(meter, now);
    WatchPlan(meter, now);
    // The connected time stops at the longest the fields hold rather than overflow Hours.
    if (ConnectedSeconds(state) + 2 <= kLongestConnectedTime) {
      state.Seconds = CheckedAdd(state.Seconds, 2);
    }
  }
}

}  // namespace

void Timer1Timer(MeterContext& meter) {
  meter.view.SetTimer1Enabled(false);
  const LocalDateTime now = meter.clock.Now();
  try {
    Tick(meter, now);
  } catch (...) {
    // Whatever the tick raised, the meter ticks on: one failed write must not stop it for
    // the rest of the run.
    meter.view.SetTimer1Enabled(true);
    throw;
  }
  meter.view.SetTimer1Enabled(true);
}

bool BillingDayReached(std::uint16_t cycleDay, const LocalDateTime& today) {
  const std::uint16_t lastDay = DaysInMonth(today.Year, today.Month);
  return today.Day >= cycleDay || (cycleDay > lastDay && today.Day == lastDay);
}

std::uint16_t BilledMonth(std::uint16_t cycleDay, const LocalDateTime& today) {
  if (BillingDayReached(cycleDay, today)) return today.Month;
  return today.Month <= 1 ? 12 : static_cast<std::uint16_t>(today.Month - 1);
}

// A step of one month waits for the billing day; a jump of two or more months, counted
// across the turn of the year, rolls over at once. Nothing rolls over while the clock
// stands before the start of the cycle in progress (a clock set back).
bool RolloverDue(const MeterState& state, int diff, const LocalDateTime& today,
                 const Locale& locale) {
  const bool due =
      (state.TodayMonth != state.LastMonth && BillingDayReached(state.CycleDay, today)) ||
      (diff >= -10 && diff <= -1) || diff >= 2;
  if (!due) return false;
  const std::optional<LocalDateTime> start = CycleStartDate(state.AllData, locale);
  return !start || !Earlier(today, *start);
}

void RollOver(MeterContext& meter, const LocalDateTime& today) {
  MeterState& state = meter.state;
  // Done once, whatever cut it short: a second record of the same cycle would push out the
  // oldest one.
  if (Recorded(state, today, meter.locale)) return RestartCycle(meter, today);
  const std::u16string date = FormatCycleDate(today, meter.locale);
  const std::u16string total =
      meter.locale.Widen(FormatDataQuantity(state.TotalDataKB, meter.locale.NumberSeparators()));
  std::u16string allData =
      InsertFinishedCycle(state.AllData, date, total, state.Hours, state.Minutes);
  // Kept once stored: a write that fails leaves the whole rollover to a later tick.
  WriteValueText(meter.store, stored::AllData, meter.locale.Narrow(allData));
  state.AllData = std::move(allData);
  RestartCycle(meter, today);
}

void RestartCycle(MeterContext& meter, const LocalDateTime& today) {
  RestartCycle(meter.state, meter.store, today);
}

// "LastMonth" goes last and the figures change in memory once all is stored: a restart cut
// short leaves the rollover due, and the next connected tick finishes it.
void RestartCycle(MeterState& state, SettingsStore& store, const LocalDateTime& today) {
  const std::uint16_t billedMonth = BilledMonth(state.CycleDay, today);
  ResealUsage(state.History, store, 0);
  RestartPlanFigures(state, store);
  WriteValueNumber(store, stored::TotalData, 0);
  WriteValueNumber(store, stored::Seconds, 0);
  WriteValueNumber(store, stored::Minutes, 0);
  WriteValueNumber(store, stored::Hours, 0);
  StoreCycleStart(state, store, today);
  WriteValueNumber(store, stored::LastMonth, billedMonth);
  state.LastMonth = billedMonth;
  state.DownDeltaKB = 0;
  state.UpDeltaKB = 0;
  state.TotalDataKB = 0;
  state.Seconds = 0;
  state.Minutes = 0;
  state.Hours = 0;
  RearmAllowanceWarnings(state, store);
}

}  // namespace pelliton
