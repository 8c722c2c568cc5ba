#include "metering/plan/cycle.h"

#include <algorithm>

#include "metering/history/all_data.h"
#include "store/catalogue.h"

namespace pelliton {

namespace {

namespace chr = std::chrono;

// The billing day of a month; a stored day beyond the month's last is its last.
chr::sys_days BillingDay(chr::year_month month, std::uint16_t cycleDay) {
  const unsigned last = unsigned{(month / chr::last).day()};
  return month / chr::day{std::clamp<unsigned>(cycleDay, 1, last)};
}

// yyyymmdd, and back; 0 or a text that is no date reads as none.
std::int64_t Packed(const LocalDateTime& date) {
  return std::int64_t{date.Year} * 10000 + date.Month * 100 + date.Day;
}

std::optional<chr::sys_days> Unpacked(std::uint32_t packed) {
  return DayOf({static_cast<std::uint16_t>(packed / 10000),
                static_cast<std::uint16_t>(packed / 100 % 100),
                static_cast<std::uint16_t>(packed % 100)});
}

}  // namespace

std::optional<chr::sys_days> DayOf(const LocalDateTime& date) {
  const chr::year_month_day day{chr::year{date.Year}, chr::month{date.Month}, chr::day{date.Day}};
  if (!day.ok()) return std::nullopt;
  return chr::sys_days{day};
}

chr::sys_days LastBillingDay(std::uint16_t cycleDay, chr::sys_days today) {
  const chr::year_month_day date{today};
  const chr::year_month month = date.year() / date.month();
  const chr::sys_days billing = BillingDay(month, cycleDay);
  return billing <= today ? billing : BillingDay(month - chr::months{1}, cycleDay);
}

std::optional<CycleSpan> CurrentCycle(const MeterState& state, const LocalDateTime& now,
                                      const Locale& locale) {
  const std::optional<chr::sys_days> today = DayOf(now);
  if (!today) return std::nullopt;
  std::optional<chr::sys_days> start;
  const std::optional<LocalDateTime> head = CycleStartDate(state.AllData, locale);
  for (const std::optional<chr::sys_days> known :
       {head ? DayOf(*head) : std::nullopt, Unpacked(state.CycleStart)}) {
    // A day after today is no start (a clock set back, a stored text from outside).
    if (known && *known <= *today && (!start || *known > *start)) start = known;
  }
  if (!start) start = LastBillingDay(state.CycleDay, *today);
  const chr::year_month_day first{*start};
  chr::sys_days end = BillingDay(first.year() / first.month(), state.CycleDay);
  if (end <= *start)
    end = BillingDay(first.year() / first.month() + chr::months{1}, state.CycleDay);
  return CycleSpan{*start, end, *today};
}

void LoadCycleStart(MeterState& state, SettingsStore& store) noexcept {
  try {
    const std::int64_t packed = ReadValueNumber(store, stored::CycleStart);
    state.CycleStart =
        Unpacked(static_cast<std::uint32_t>(packed)) ? static_cast<std::uint32_t>(packed) : 0;
  } catch (...) {
    state.CycleStart = 0;
  }
}

void StoreCycleStart(MeterState& state, SettingsStore& store, const LocalDateTime& today) {
  WriteValueNumber(store, stored::CycleStart, Packed(today));
  state.CycleStart = static_cast<std::uint32_t>(Packed(today));
}

}  // namespace pelliton
