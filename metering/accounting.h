#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "metering/meter_context.h"

namespace pelliton {

// One accounting step of a tick, as a pipeline. The metered source (the router where one is
// metered, else the set of interface rows; metering/sources/) turns its readings into the
// tick's growth by its own rules for wraps, resets and time off; one step adds the growth to
// the cycle's total, carries the connected time and stores the running figures, the source's
// readings first; the usage history and the plan's figures record it on the way; the three
// texts show it. The plan judges it after (metering/tick.h). Returns 1 when the tick counts as
// connected time. Errors of the frozen path propagate; every error after it ends the step
// unbound with 0.
std::uint8_t GetConnectedState(MeterContext& meter);

// A tick that counts nothing: "DC" with the total and the time. Returns 0.
std::uint8_t ShowDisconnected(MeterContext& meter);

// "12/s": half the sum of the tick's two deltas, truncated.
std::string SpeedText(const MeterState& state);
// "05:07", "123:07": hours and minutes, each at least two digits.
std::string TimeText(const MeterState& state);

}  // namespace pelliton
