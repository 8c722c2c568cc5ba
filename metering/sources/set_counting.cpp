#include "metering/sources/set_counting.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "metering/base/checked.h"
#include "metering/base/data_quantity.h"
#include "metering/sources/connection_set.h"
#include "store/catalogue.h"
#include "store/errors.h"

namespace pelliton {

namespace {

// The octet counters wrap at 2^32; in KB that is the whole range.
constexpr std::int64_t kCounterRangeKB = 4194304;
// More growth than this in one tick is taken for a reset of the counter, not a wrap.
constexpr std::int64_t kLargestWrapKB = kCounterRangeKB / 2;

using Found = std::vector<std::optional<std::size_t>>;

// Growth of a reading since the previous one. A reading that went down has wrapped, and
// the growth runs across the wrap; one that fell too far, or after a pause (`restarted`: the link
// was down or gave no readings), was reset and counts from zero.
std::uint32_t Growth(std::uint32_t current, std::uint32_t previous, bool restarted) {
  if (current >= previous) return current - previous;
  if (restarted) return current;
  const std::int64_t acrossWrap = std::int64_t{current} + kCounterRangeKB - previous;
  return acrossWrap > kLargestWrapKB ? current : static_cast<std::uint32_t>(acrossWrap);
}

// Growth of a 64-bit reading, which never wraps: one that went down was reset and counts
// from zero. More than 32 bits of KB in one tick raises RangeError.
std::uint32_t Growth64(std::uint64_t current, std::uint64_t previous) {
  const std::uint64_t growth = current >= previous ? current - previous : current;
  if (!std::in_range<std::uint32_t>(growth)) throw RangeError();
  return static_cast<std::uint32_t>(growth);
}

void Add(Traffic& sum, const Traffic& more) {
  sum.downKB += more.downKB;
  sum.upKB += more.upKB;
}

// Keeps this reading's 64-bit values, or forgets the last ones when there are none, so that
// a tick without them never leaves a stale base for a later one.
void Remember64(LinkState& link, const SourceReading& reading) {
  link.has64 = reading.wide;
  link.index64 = reading.index;
  link.prevDownKB64 = reading.wide ? OctetsToKB64(reading.downOctets) : 0;
  link.prevUpKB64 = reading.wide ? OctetsToKB64(reading.upOctets) : 0;
}

// The tick's growth from the 64-bit counters when this tick and the last both had them for
// the same interface, else from the 32-bit readings by the wrap rule. Both bases move on
// every tick, so a change of source never counts a jump.
Traffic CountGrowth(LinkState& link, const SourceReading& reading) {
  const std::uint32_t down = OctetsToKB(reading.downOctets32);
  const std::uint32_t up = OctetsToKB(reading.upOctets32);
  Traffic growth{};
  if (reading.wide && link.has64 && link.index64 == reading.index) {
    growth = {Growth64(OctetsToKB64(reading.downOctets), link.prevDownKB64),
              Growth64(OctetsToKB64(reading.upOctets), link.prevUpKB64)};
  } else {
    growth = {Growth(down, link.prevDownKB, link.paused), Growth(up, link.prevUpKB, link.paused)};
  }
  link.prevDownKB = down;
  link.prevUpKB = up;
  link.paused = false;
  Remember64(link, reading);
  return growth;
}

// A row that reads 0 received and 0 sent while the link holds readings of both gives none:
// the system reads so a row it keeps under a name that is gone (a renamed link, until the
// table is read afresh). Taking it as the base would count the link's whole counters again
// once the real row is back, so the bound link keeps its readings and counts nothing until the
// row reads again. A counter that really started again reads below them at a later tick and
// counts from zero. A link bound afresh takes whatever its row reads.
bool GivesNoReading(const LinkState& link, const SourceReading& reading) {
  const bool zeros = reading.downOctets32 == 0 && reading.upOctets32 == 0 &&
                     (!reading.wide || (reading.downOctets == 0 && reading.upOctets == 0));
  const bool holds = (link.prevDownKB != 0 && link.prevUpKB != 0) ||
                     (link.prevDownKB64 != 0 && link.prevUpKB64 != 0);
  return zeros && holds;
}

Readings LinkReadings(const LinkState& link) {
  if (link.has64) return {link.index64, true, link.prevDownKB64, link.prevUpKB64};
  return {link.index64, false, link.prevDownKB, link.prevUpKB};
}

// The set and its first description are stored where the store lacks them, so that a write
// that failed, or a kill between the two, is made good at a later tick.
void WriteWhereDiffering(SettingsStore& store, const StoredValue& value, const std::string& text) {
  try {
    if (ReadValueText(store, value) == text) return;
  } catch (const RegistryError&) {
    // A value of another type is written over.
  }
  WriteValueText(store, value, text);
}

// A connection found under another description, hardware address or identity is the same
// connection: the set takes what its row shows now and the store follows. A write that fails
// is tried again at the next tick; the counting goes on either way.
void FollowNewNames(MeterState& state, SettingsStore& store, const std::vector<SourceReading>& rows,
                    const Found& found) {
  std::vector<ConnectionId> set = MeteredConnections(state);
  bool changed = false;
  for (std::size_t c = 0; c < set.size(); ++c) {
    if (!found[c] || rows[*found[c]].id == set[c]) continue;
    set[c] = rows[*found[c]].id;
    changed = true;
  }
  if (!changed && !state.SetUnsaved) return;
  state.NetworkType = set.front().description;
  state.Connections = std::move(set);
  state.SetUnsaved = true;
  try {
    WriteWhereDiffering(store, stored::NetworkType, state.NetworkType);
    WriteWhereDiffering(store, stored::NetworkSet, FormatNetworkSet(state.Connections));
    state.SetUnsaved = false;
  } catch (const RegistryError&) {
  }
}

void CountBoundLinks(MeterState& state, SetTick& tick, const std::vector<SourceReading>& rows,
                     const Found& found) {
  for (std::size_t i = 0; i < tick.links.size(); ++i) {
    LinkState& link = tick.links[i];
    if (!link.bound) continue;
    // Gone, or found at another interface (bound there afresh at once): "DC" for it. Its
    // interface found at another row counts on there.
    if (!found[i] || (*found[i] != link.row && rows[*found[i]].index != link.index64)) {
      link.bound = false;
      link.held = true;
      continue;
    }
    link.row = static_cast<std::uint32_t>(*found[i]);
    const SourceReading& row = rows[link.row];
    // Down, or no readings: it stays bound, its readings wait for the row to give new ones.
    const bool reads = row.connected && !GivesNoReading(link, row);
    if (!reads) link.paused = true;
    if (!row.connected) continue;
    if (reads) Add(tick.growth, CountGrowth(link, row));
    tick.counted = true;
    if (i == 0) {
      state.CurDownKB = link.prevDownKB;
      state.CurUpKB = link.prevUpKB;
    }
  }
}

// Takes the row's present readings as the base, and, unless the link was just added, what
// passed since the readings that the store keeps.
void BindLink(SettingsStore& store, const Clock& clock, SetTick& tick, LinkState& link,
              const SourceReading& row, std::size_t at) {
  const bool fresh = link.fresh;
  link = {.bound = true,
          .row = static_cast<std::uint32_t>(at),
          .prevDownKB = OctetsToKB(row.downOctets32),
          .prevUpKB = OctetsToKB(row.upOctets32)};
  Remember64(link, row);
  if (!fresh) Add(tick.uncounted, UncountedTraffic(store, clock, LinkReadings(link)));
  tick.bound = true;
  tick.boundUp = tick.boundUp || row.connected;
}

// Each link found and not bound, also one found at another interface on this tick.
void BindFoundLinks(MeterState& state, SettingsStore& store, const Clock& clock, SetTick& tick,
                    const std::vector<SourceReading>& rows, const Found& found) {
  if (!tick.links[0].bound) state.AdapterRow = kUnlocatedRow;
  for (std::size_t i = 0; i < tick.links.size(); ++i) {
    if (tick.links[i].bound || !found[i]) continue;
    const bool fresh = i == 0 ? state.AdapterFresh : tick.links[i].fresh;
    tick.links[i].fresh = fresh;
    BindLink(store, clock, tick, tick.links[i], rows[*found[i]], *found[i]);
    if (i == 0) state.AdapterFresh = false;
  }
}

// The deltas that the speed shows: the growth of a tick that counted; a tick that only bound
// has none, nor present readings.
void SetDeltas(MeterState& state, const SetTick& tick) {
  if (!tick.counted && !tick.bound) return;
  state.DownDeltaKB = tick.counted ? SaturatedAdd(std::uint32_t{0}, tick.growth.downKB) : 0;
  state.UpDeltaKB = tick.counted ? SaturatedAdd(std::uint32_t{0}, tick.growth.upKB) : 0;
  if (!tick.counted) state.CurDownKB = state.CurUpKB = 0;
}

}  // namespace

SetTick CountSetTick(MeterState& state, SettingsStore& store, const Clock& clock,
                     const std::vector<SourceReading>& rows) {
  const Found found = MatchConnections(MeteredConnections(state), rows);
  FollowNewNames(state, store, rows, found);
  SetTick tick{.links = Links(state)};
  CountBoundLinks(state, tick, rows, found);
  BindFoundLinks(state, store, clock, tick, rows, found);
  SetDeltas(state, tick);
  return tick;
}

std::vector<Readings> KeptReadings(const std::vector<LinkState>& links) {
  std::vector<Readings> readings;
  for (const LinkState& link : links)
    if (link.bound || link.held) readings.push_back(LinkReadings(link));
  return readings;
}

}  // namespace pelliton
