#pragma once

#include <string>

#include "metering/meter_context.h"

namespace pelliton {

// The two-second tick: Timer1 off, today's date, accounting, on a connected tick the
// rollover check and two seconds of connected time, Timer1 on again. An error that leaves
// the tick leaves Timer1 disabled.
void Timer1Timer(MeterContext& meter);

// Whether a connected tick rolls the cycle over; diff is TodayMonth - LastMonth taken
// before the accounting step.
bool RolloverDue(const MeterState& state, int diff);

// Moves the finished cycle into AllData, restarts the figures and stores them.
void RollOver(MeterContext& meter, const LocalDateTime& today);

// Sets the cycle's figures to zero and stores them ("TotalData", "LastMonth" as given,
// "Seconds", "Minutes", "Hours"), and arms the allowance's warnings again. LastMonth in
// memory is the caller's business.
void RestartCycle(MeterContext& meter, std::uint16_t storedLastMonth);
void RestartCycle(MeterState& state, SettingsStore& store, std::uint16_t storedLastMonth);

}  // namespace pelliton
