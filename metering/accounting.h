#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "metering/meter_context.h"

namespace pelliton {

// One accounting step of a tick: reads every connection, finds the metered ones
// (metering/connection_set.h), adds the growth of the counters of each one that is up to the
// cycle total, binds the ones found afresh (with what passed since the stored readings), carries
// the connected time, writes the running figures and sets the three texts. Returns 1 when the tick
// counts as connected time. Errors of the frozen path propagate; every error after it ends the step
// unbound with 0.
std::uint8_t GetConnectedState(MeterContext& meter);

// Adds a counted tick's growth to the cycle's total and stores the running figures: `keep`
// stores the source's readings first, then the usage history and "TotalData" follow; the
// texts show the total, the speed of the tick's deltas and the time. Returns 1.
std::uint8_t AddCountedTick(MeterContext& meter, std::uint64_t downKB, std::uint64_t upKB,
                            void (*keep)(MeterContext&));

// A tick that counts nothing: "DC" with the total and the time. Returns 0.
std::uint8_t ShowDisconnected(MeterContext& meter);

// Octets to KB, rounded to nearest with halves to even (512 bytes give 0, 1536 give 2).
std::uint32_t OctetsToKB(std::uint32_t octets);
// The same rounding for a 64-bit counter.
std::uint64_t OctetsToKB64(std::uint64_t octets);

// "12/s": half the sum of the tick's two deltas, truncated.
std::string SpeedText(const MeterState& state);
// "05:07", "123:07": hours and minutes, each at least two digits.
std::string TimeText(const MeterState& state);

}  // namespace pelliton
