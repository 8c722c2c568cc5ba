#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <optional>

#include "metering/base/clock.h"
#include "metering/base/locale.h"
#include "metering/meter_state.h"
#include "store/settings_store.h"

namespace pelliton {

// The billing cycle in progress, in whole days: it began on `start` and ends when `end`
// begins; `today` is the day it is looked at from. While its rollover is still to come (the
// meter frozen or disconnected across the billing day) today lies past its end, and the
// cycle reads as on its last day.
struct CycleSpan {
  std::chrono::sys_days start, end, today;
  int Length() const { return Between(start, end); }
  int Day() const { return Between(start, std::min(today, end - std::chrono::days{1})) + 1; }
  int Left() const { return std::max(Between(today, end) - 1, 0); }
  bool Ended() const { return today >= end; }
  static int Between(std::chrono::sys_days from, std::chrono::sys_days to) {
    return static_cast<int>((to - from).count());
  }
};

// The cycle in progress on `now`: from the later of the date at the head of AllData (the
// last rollover) and the day the figures last restarted (a new cycle date, Change Network),
// or without either the last billing day, to the first billing day after that start, so
// never longer than a month. Nothing when `now` is not a date.
std::optional<CycleSpan> CurrentCycle(const MeterState& state, const LocalDateTime& now,
                                      const Locale& locale);

// The last billing day on or before `today`; a billing day that a month lacks (29 to 31)
// falls on the month's last day.
std::chrono::sys_days LastBillingDay(std::uint16_t cycleDay, std::chrono::sys_days today);

// The day of a date, when it is one.
std::optional<std::chrono::sys_days> DayOf(const LocalDateTime& date);

// "CycleStart": the day the figures last restarted, as yyyymmdd. Read once a run (absent or
// unreadable: none; never fails), written with every restart of the cycle.
void LoadCycleStart(MeterState& state, SettingsStore& store) noexcept;
void StoreCycleStart(MeterState& state, SettingsStore& store, const LocalDateTime& today);

}  // namespace pelliton
