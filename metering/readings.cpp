#include "metering/readings.h"

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
  Readings readings;
  std::int64_t boot = 0;
};

std::optional<std::uint64_t> ReadDecimal(SettingsStore& store, const StoredValue& value) {
  const std::string text = ReadValueText(store, value);
  std::uint64_t number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, number);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return number;
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
    const std::uint64_t largest = wide ? std::uint64_t{1} << 54 : kCounterRangeKB;
    if ((!wide && *width != 32) || !std::in_range<std::uint32_t>(*index) ||
        !std::in_range<std::int64_t>(*boot) || std::max(*down, *up) > largest) {
      return std::nullopt;
    }
    return KeptSet{{static_cast<std::uint32_t>(*index), wide, *down, *up},
                   static_cast<std::int64_t>(*boot)};
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

// Growth of one counter since the stored reading; one that went down was reset.
std::uint64_t Since(std::uint64_t present, std::uint64_t kept, bool exact) {
  if (!exact) {
    present %= kCounterRangeKB;
    kept %= kCounterRangeKB;
  }
  return present >= kept ? present - kept : present;
}

}  // namespace

Readings PresentReadings(const MeterState& state) {
  if (state.Has64) return {state.Index64, true, state.PrevDownKB64, state.PrevUpKB64};
  return {state.Index64, false, state.PrevDownKB, state.PrevUpKB};
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
  const Boot boot = PresentBoot(clock);
  if (!SameBoot(kept->boot, boot.instant, boot.wraps)) return {present.downKB, present.upKB};
  if (kept->readings.index != present.index) return {};
  const bool exact = kept->readings.wide && present.wide;
  return {Since(present.downKB, kept->readings.downKB, exact),
          Since(present.upKB, kept->readings.upKB, exact)};
}

void KeepReadings(MeterContext& meter) {
  MeterState& state = meter.state;
  SettingsStore& store = meter.store;
  const Readings present = PresentReadings(state);
  const auto down = static_cast<std::int64_t>(present.downKB);
  const auto up = static_cast<std::int64_t>(present.upKB);
  if (state.Kept == Keeping::Sealed && state.KeptIndex == present.index &&
      state.KeptWide == present.wide) {
    WriteValueNumber(store, stored::LastDown, down);
    WriteValueNumber(store, stored::LastUp, up);
    return;
  }
  // A kill halfway leaves no seal, so that no start reads half a set.
  state.Kept = Keeping::Unknown;
  WriteValueText(store, stored::LastBoot, "");
  WriteValueNumber(store, stored::LastIndex, present.index);
  WriteValueNumber(store, stored::LastWidth, present.wide ? 64 : 32);
  WriteValueNumber(store, stored::LastDown, down);
  WriteValueNumber(store, stored::LastUp, up);
  WriteValueNumber(store, stored::LastBoot, PresentBoot(meter.clock).instant);
  state.Kept = Keeping::Sealed;
  state.KeptIndex = present.index;
  state.KeptWide = present.wide;
}

void ForgetReadings(MeterState& state, SettingsStore& store) {
  for (const StoredValue& value : stored::kReadings)
    store.DeleteValue(RootKey::CurrentUser, value.key, value.name);
  state.Kept = Keeping::Nothing;
}

}  // namespace pelliton
