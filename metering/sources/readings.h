#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "metering/base/clock.h"
#include "metering/meter_state.h"
#include "store/settings_store.h"

namespace pelliton {

// A connection's readings as the last tick or binding took them: the 64-bit ones (`wide`)
// where the platform gave them, else the 32-bit ones; in KB.
struct Readings {
  std::uint32_t index = 0;  // the interface's index
  bool wide = false;
  std::uint64_t downKB = 0;
  std::uint64_t upKB = 0;
};

// "LastOthers": "index width down up" for each, joined by ";" ("12 64 1500 80;14 32 7 0").
// Anything else, or more than kLongestOtherReadings characters, reads as none.
inline constexpr std::size_t kLongestOtherReadings = 4096;
std::string FormatOtherReadings(const std::vector<Readings>& readings);
std::vector<Readings> ParseOtherReadings(std::string_view text);

// Boot instants this close (clock adjustments move them) name the same boot.
inline constexpr std::int64_t kSameBootTolerance = 5 * 60 * 1000;

// Whether two boot instants (UTC milliseconds) name one boot; where the time since boot is
// only known modulo 2^32 ms (`wraps`), they are compared modulo 2^32 ms.
bool SameBoot(std::int64_t instant, std::int64_t other, bool wraps);

// What passed on a connection (the interface of `present`) while nothing counted it, by the
// readings that the store keeps, in KB. From an earlier boot (the time since boot went back; where
// it wraps, the boot instants part as well): the present readings, the traffic since boot. Else the
// readings are this boot's, whatever the clock did: an interface with no stored readings
// gives 0; the 64-bit
// counters on both sides count exactly, and either of them lower than stored means they
// started again, so the present readings count; otherwise each gives its growth modulo 2^32
// octets (a reading that went down was reset and gives its present value). None or
// unreadable ones: 0.
std::uint64_t UncountedKB(SettingsStore& store, const Clock& clock, const Readings& present);
// The same, download and upload apart.
struct Traffic {
  std::uint64_t downKB = 0;
  std::uint64_t upKB = 0;
};
Traffic UncountedTraffic(SettingsStore& store, const Clock& clock, const Readings& present);

// Stores the present readings of the connections counted, the first in "LastIndex"... and the
// others in "LastOthers": only "LastDown", "LastUp", "LastOthers" and "LastUptime" while the
// store holds a set for the first one's interface and width, else the whole set, unsealed
// first and sealed last. A tick calls it before it writes "TotalData": a kill between the two
// then loses that tick's growth and never counts it twice. Nothing to keep: nothing stored.
// Store failures propagate.
void KeepReadings(MeterState& state, SettingsStore& store, const Clock& clock,
                  const std::vector<Readings>& present);

// Deletes the stored readings, the seal first; never fails.
void ForgetReadings(MeterState& state, SettingsStore& store);

}  // namespace pelliton
