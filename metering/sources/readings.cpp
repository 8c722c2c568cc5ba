#include "metering/sources/readings.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>
#include <utility>

#include "store/catalogue.h"

namespace pelliton {

namespace {

using Keeping = MeterState::Keeping;

// 2^32 octets in KB, and 2^32 milliseconds.
constexpr std::uint64_t kCounterRangeKB = 4194304;
constexpr std::int64_t kTickCountRange = std::int64_t{1} << 32;

struct KeptSet {
  std::vector<Readings> readings;  // the first connection's, then the others'

  std::int64_t boot = 0;
  std::optional<std::uint64_t> sinceBoot;  // absent in a set stored before it was kept
};

// Readings whose numbers a start can take: a width of 32 or 64, counters in their range.
bool Plausible(std::uint64_t index, std::uint64_t width, std::uint64_t down, std::uint64_t up) {
  const std::uint64_t largest = width == 64 ? std::uint64_t{1} << 54 : kCounterRangeKB;
  return (width == 32 || width == 64) && std::in_range<std::uint32_t>(index) &&
         std::max(down, up) <= largest;
}

std::optional<std::uint64_t> ReadDecimal(SettingsStore& store, const StoredValue& value) {
  const std::string text = ReadValueText(store, value);
  std::uint64_t number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return number;
}

// The further connections' readings; unreadable ones read as none.
std::vector<Readings> ReadOthers(SettingsStore& store) {
  try {
    return ParseOtherReadings(ReadValueText(store, stored::LastOthers));
  } catch (const RegistryError&) {
    return {};
  }
}

// The stored set, or nothing when any of it is missing or unreadable.
std::optional<KeptSet> ReadKept(SettingsStore& store) {
  try {
    const auto boot = ReadDecimal(store, stored::LastBoot);
    const auto index = ReadDecimal(store, stored::LastIndex);
    const auto width = ReadDecimal(store, stored::LastWidth);
    const auto down = ReadDecimal(store, stored::LastDown);
    const auto up = ReadDecimal(store, stored::LastUp);
    if (!boot || !index || !width || !down || !up) return std::nullopt;
    const bool wide = *width == 64;
    if (!Plausible(*index, *width, *down, *up) || !std::in_range<std::int64_t>(*boot))
      return std::nullopt;
    KeptSet kept{{{static_cast<std::uint32_t>(*index), wide, *down, *up}},
                 static_cast<std::int64_t>(*boot),
                 ReadDecimal(store, stored::LastUptime)};
    const std::vector<Readings> others = ReadOthers(store);
    kept.readings.insert(kept.readings.end(), others.begin(), others.end());
    return kept;
  } catch (const RegistryError&) {
    return std::nullopt;  // a value of another type reads as unreadable
  }
}

struct Boot {
  std::int64_t instant = 0;
  bool wraps = false;
};

Boot PresentBoot(const Clock& clock) {
  const TimeSinceBoot since = clock.SinceBoot();
  return {clock.UtcMilliseconds() - static_cast<std::int64_t>(since.milliseconds), since.wraps};
}

// Whether the stored readings come from an earlier boot. The time since boot only grows
// within a boot, whatever the clock does, so one that went back tells of a reboot. Where it
// is known only modulo 2^32 ms, going back may be its wrap, and the boot instants by the
// clock must part them as well (an instant that cannot be, 0 or later than now, parts
// nothing). A time since boot that grew proves nothing: the readings then count as this
// boot's, whose counters going down still tell of a restart, so nothing counts twice.
bool EarlierBoot(const KeptSet& kept, const Clock& clock) {
  const TimeSinceBoot since = clock.SinceBoot();
  if (!kept.sinceBoot || since.milliseconds >= *kept.sinceBoot) return false;
  if (!since.wraps) return true;
  const bool possible = kept.boot > 0 && kept.boot <= clock.UtcMilliseconds();
  return possible && !SameBoot(kept.boot, PresentBoot(clock).instant, true);
}

// Growth of one counter since the stored reading; one that went down was reset.
std::uint64_t Since(std::uint64_t present, std::uint64_t kept, bool exact) {
  if (!exact) {
    present %= kCounterRangeKB;
    kept %= kCounterRangeKB;
  }
  return present >= kept ? present - kept : present;
}

// "index width down up", four decimals and single blanks.
std::optional<Readings> ParseEntry(std::string_view entry) {
  std::uint64_t n[4] = {};
  const char* at = entry.data();
  const char* const end = at + entry.size();
  for (std::size_t i = 0; i < 4; ++i) {
    if (i != 0 && (at == end || *at++ != ' ')) return std::nullopt;
    const auto [stop, error] = std::from_chars(at, end, n[i]);
    if (error != std::errc() || stop == at) return std::nullopt;
    at = stop;
  }
  if (at != end || !Plausible(n[0], n[1], n[2], n[3])) return std::nullopt;
  return Readings{static_cast<std::uint32_t>(n[0]), n[1] == 64, n[2], n[3]};
}

// "LastOthers": the readings after the first, or none (deleted once).
void KeepOthers(MeterState& state, SettingsStore& store, const std::vector<Readings>& readings) {
  if (readings.size() > 1) {
    WriteValueText(store, stored::LastOthers,
                   FormatOtherReadings({readings.begin() + 1, readings.end()}));
    state.OthersKept = true;
  } else if (state.OthersKept) {
    store.DeleteValue(RootKey::CurrentUser, stored::LastOthers.key, stored::LastOthers.name);
    state.OthersKept = false;
  }
}

void WriteSinceBoot(SettingsStore& store, const Clock& clock) {
  WriteValueText(store, stored::LastUptime, std::to_string(clock.SinceBoot().milliseconds));
}

}  // namespace

std::string FormatOtherReadings(const std::vector<Readings>& readings) {
  std::string text;
  for (const Readings& r : readings) {
    if (!text.empty()) text += ';';
    text += std::to_string(r.index) + ' ' + (r.wide ? "64" : "32") + ' ' +
            std::to_string(r.downKB) + ' ' + std::to_string(r.upKB);
  }
  return text;
}

std::vector<Readings> ParseOtherReadings(std::string_view text) {
  std::vector<Readings> readings;
  if (text.size() > kLongestOtherReadings) return readings;
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t end = std::min(text.find(';', from), text.size());
    const std::optional<Readings> entry = ParseEntry(text.substr(from, end - from));
    if (!entry) return {};
    readings.push_back(*entry);
    from = end + 1;
  }
  return readings;
}

bool SameBoot(std::int64_t instant, std::int64_t other, bool wraps) {
  std::int64_t apart = instant > other ? instant - other : other - instant;
  if (wraps) {
    apart %= kTickCountRange;
    apart = std::min(apart, kTickCountRange - apart);
  }
  return apart <= kSameBootTolerance;
}

std::uint64_t UncountedKB(SettingsStore& store, const Clock& clock, const Readings& present) {
  const Traffic traffic = UncountedTraffic(store, clock, present);
  return traffic.downKB + traffic.upKB;
}

Traffic UncountedTraffic(SettingsStore& store, const Clock& clock, const Readings& present) {
  const std::optional<KeptSet> kept = ReadKept(store);
  if (!kept) return {};
  if (EarlierBoot(*kept, clock)) return {present.downKB, present.upKB};
  const auto same = std::find_if(kept->readings.begin(), kept->readings.end(),
                                 [&](const Readings& r) { return r.index == present.index; });
  if (same == kept->readings.end()) return {};
  const bool exact = same->wide && present.wide;
  // The 64-bit counters start again together (a reboot, a reset interface) and never wrap.
  if (exact && (present.downKB < same->downKB || present.upKB < same->upKB))
    return {present.downKB, present.upKB};
  return {Since(present.downKB, same->downKB, exact), Since(present.upKB, same->upKB, exact)};
}

void KeepReadings(MeterState& state, SettingsStore& store, const Clock& clock,
                  const std::vector<Readings>& readings) {
  if (readings.empty()) return;
  const Readings& present = readings.front();
  const auto down = static_cast<std::int64_t>(present.downKB);
  const auto up = static_cast<std::int64_t>(present.upKB);
  if (state.Kept == Keeping::Sealed && state.KeptIndex == present.index &&
      state.KeptWide == present.wide) {
    WriteValueNumber(store, stored::LastDown, down);
    WriteValueNumber(store, stored::LastUp, up);
    KeepOthers(state, store, readings);
    WriteSinceBoot(store, clock);
    return;
  }
  // A kill halfway leaves no seal, so that no start reads half a set.
  state.Kept = Keeping::Unknown;
  WriteValueText(store, stored::LastBoot, "");
  WriteValueNumber(store, stored::LastIndex, present.index);
  WriteValueNumber(store, stored::LastWidth, present.wide ? 64 : 32);
  WriteValueNumber(store, stored::LastDown, down);
  WriteValueNumber(store, stored::LastUp, up);
  KeepOthers(state, store, readings);
  WriteSinceBoot(store, clock);
  WriteValueNumber(store, stored::LastBoot, PresentBoot(clock).instant);
  state.Kept = Keeping::Sealed;
  state.KeptIndex = present.index;
  state.KeptWide = present.wide;
}

void ForgetReadings(MeterState& state, SettingsStore& store) {
  for (const StoredValue& value : stored::kReadings)
    store.DeleteValue(RootKey::CurrentUser, value.key, value.name);
  state.Kept = Keeping::Nothing;
  state.OthersKept = false;
  // An unbound connection's readings are gone with them: it counts from its next binding.
  state.AdapterHeld = false;
  for (LinkState& link : state.OtherLinks)
    link.held = false;
}

}  // namespace pelliton
