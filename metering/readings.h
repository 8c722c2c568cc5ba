#pragma once

#include <cstdint>

#include "metering/meter_context.h"

namespace pelliton {

// The bound row's readings as the last tick or binding took them: the 64-bit ones (`wide`)
// where the platform gave them, else the 32-bit ones; in KB.
struct Readings {
  std::uint32_t index = 0;  // the interface's index
  bool wide = false;
  std::uint64_t downKB = 0;
  std::uint64_t upKB = 0;
};
Readings PresentReadings(const MeterState& state);

// Boot instants this close (clock adjustments move them) name the same boot.
inline constexpr std::int64_t kSameBootTolerance = 5 * 60 * 1000;

// Whether two boot instants (UTC milliseconds) name one boot; where the time since boot is
// only known modulo 2^32 ms (`wraps`), they are compared modulo 2^32 ms.
bool SameBoot(std::int64_t instant, std::int64_t other, bool wraps);

// What passed on the bound connection while nothing counted it, by the readings that the
// store keeps, in KB. Same boot and interface: the growth since the stored readings (a
// reading that went down was reset and gives its present value; the 64-bit readings on
// both sides count exactly, otherwise both are taken modulo 2^32 octets). Another boot: the
// present readings, the traffic since boot. None, unreadable ones, or another interface of
// this boot: 0.
std::uint64_t UncountedKB(SettingsStore& store, const Clock& clock, const Readings& present);
// The same, download and upload apart.
struct Traffic {
  std::uint64_t downKB = 0;
  std::uint64_t upKB = 0;
};
Traffic UncountedTraffic(SettingsStore& store, const Clock& clock, const Readings& present);

// Stores the present readings: only "LastDown" and "LastUp" while the store holds a set for
// this interface and width, else the whole set, unsealed first and sealed last. A tick
// calls it before it writes "TotalData": a kill between the two then loses that tick's
// growth and never counts it twice. Store failures propagate.
void KeepReadings(MeterContext& meter);

// Deletes the stored readings, the seal first; never fails.
void ForgetReadings(MeterState& state, SettingsStore& store);

}  // namespace pelliton
