#pragma once

#include <cstdint>
#include <string>

#include "metering/meter_context.h"

namespace pelliton {

// The two-second tick: Timer1 off, today's date, accounting, on a connected tick the
// rollover check and two seconds of connected time, Timer1 on again, also when the tick
// raises (the error goes on to the caller).
void Timer1Timer(MeterContext& meter);

// Whether today is on or after the billing day of its month. In a month shorter than
// cycleDay (a day 31 in April, a day 30 in February) the month's last day is its billing day.
bool BillingDayReached(std::uint16_t cycleDay, const LocalDateTime& today);

// The month whose billing day has last passed: today's month once its billing day has come,
// else the month before (12 in January). What "LastMonth" holds after every restart of the
// cycle.
std::uint16_t BilledMonth(std::uint16_t cycleDay, const LocalDateTime& today);

// Whether a connected tick on `today` rolls the cycle over; diff is TodayMonth - LastMonth
// taken before the accounting step. Never while today is earlier than the start date at the
// head of AllData.
bool RolloverDue(const MeterState& state, int diff, const LocalDateTime& today,
                 const Locale& locale);

// Moves the finished cycle into AllData, restarts the figures and stores them. A rollover
// whose record is stored already (one cut short before it restarted the figures) only
// restarts them: each cycle is recorded once.
void RollOver(MeterContext& meter, const LocalDateTime& today);

// Sets the cycle's figures to zero, the cycle's start to `today` and LastMonth to the billed
// month of `today`: in the store first ("PlanData", "TotalData", "Seconds", "Minutes", "Hours",
// "CycleStart", "LastMonth", in that order), then in memory; and arms the allowance's
// warnings again.
void RestartCycle(MeterContext& meter, const LocalDateTime& today);
void RestartCycle(MeterState& state, SettingsStore& store, const LocalDateTime& today);

}  // namespace pelliton
