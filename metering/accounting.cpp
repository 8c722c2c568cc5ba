#include "metering/accounting.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

#include "metering/base/checked.h"
#include "metering/sources/connection_set.h"
#include "metering/base/data_quantity.h"
#include "metering/loader.h"
#include "metering/sources/readings.h"
#include "metering/sources/router_meter.h"
#include "metering/history/usage_history.h"
#include "metering/plan/plan_usage.h"
#include "store/catalogue.h"
#include "store/errors.h"

namespace pelliton {

namespace {

// The octet counters wrap at 2^32; in KB that is the whole range.
constexpr std::int64_t kCounterRangeKB = 4194304;
// More growth than this in one tick is taken for a reset of the counter, not a wrap.
constexpr std::int64_t kLargestWrapKB = kCounterRangeKB / 2;
// The first connection's row is kept 8-bit: it is found at row 255 at the furthest.
constexpr std::size_t kFurthestFirstRow = 255;

std::string TotalText(const MeterContext& meter) {
  return FormatDataQuantity(meter.state.TotalDataKB, meter.locale.NumberSeparators());
}

// At least two digits: 5 reads 05, 123 reads 123.
std::string TwoDigits(std::uint16_t value) {
  std::string text(value < 10 ? 1 : 0, '0');
  return text += std::to_string(value);
}

// Growth of a reading since the previous one. A reading that went down has wrapped, and
// the growth runs across the wrap; one that fell too far was reset and counts from zero.
std::uint32_t Growth(std::uint32_t current, std::uint32_t previous) {
  if (current >= previous) return current - previous;
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

// Seconds into Minutes, Minutes into Hours, at 60 each.
void CarryConnectedTime(MeterState& state) {
  if (state.Seconds >= 60) {
    state.Minutes = CheckedAdd(state.Minutes, 1);
    state.Seconds = static_cast<std::uint16_t>(state.Seconds - 60);
  }
  if (state.Minutes >= 60) {
    state.Hours = CheckedAdd(state.Hours, 1);
    state.Minutes = static_cast<std::uint16_t>(state.Minutes - 60);
  }
}

void ShowCode(MeterContext& meter, std::string_view code) {
  meter.view.SetLabel1(code);
  meter.view.SetLabel2(TotalText(meter));
  meter.view.SetLabel3(TimeText(meter.state));
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
    growth = {Growth(down, link.prevDownKB), Growth(up, link.prevUpKB)};
  }
  link.prevDownKB = down;
  link.prevUpKB = up;
  Remember64(link, reading);
  return growth;
}

// A row that reads 0 received and 0 sent while the link holds readings of both gives none:
// the system reads so a row it keeps under a name that is gone (a renamed link, until the
// table is read afresh). Taking it as the base would count the link's whole counters again
// once the real row is back, so the link keeps its readings and counts nothing until the row
// reads again. A counter that really started again reads above zero at a later tick and
// counts from there.
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

std::vector<Readings> BoundReadings(const std::vector<LinkState>& links) {
  std::vector<Readings> readings;
  for (const LinkState& link : links)
    if (link.bound) readings.push_back(LinkReadings(link));
  return readings;
}

// A connection found under another description, hardware address or identity is the same
// connection: the set takes what its row shows now and the store follows. A write that fails
// is tried again at the next tick; the counting goes on either way.
void FollowNewNames(MeterContext& meter, const std::vector<SourceReading>& rows,
                    const std::vector<std::optional<std::size_t>>& found) {
  MeterState& state = meter.state;
  std::vector<ConnectionId> set = MeteredConnections(state);
  bool changed = false;
  for (std::size_t c = 0; c < set.size(); ++c) {
    if (!found[c] || rows[*found[c]].id == set[c]) continue;
    set[c] = rows[*found[c]].id;
    changed = true;
  }
  if (!changed && !state.SetUnsaved) return;
  const bool renamed = set.front().description != state.NetworkType;
  state.NetworkType = set.front().description;
  state.Connections = std::move(set);
  state.SetUnsaved = true;
  try {
    if (renamed) WriteValueText(meter.store, stored::NetworkType, state.NetworkType);
    WriteValueText(meter.store, stored::NetworkSet, FormatNetworkSet(state.Connections));
    state.SetUnsaved = false;
  } catch (const RegistryError&) {
  }
}

// What one tick does to the set: the growth of the links that count on, and what the links
// bound afresh add from the stored readings.
struct SetTick {
  std::vector<LinkState> links;
  Traffic growth{};
  Traffic uncounted{};
  bool counted = false;  // a bound link was up and counted
  bool bound = false;    // a link was bound afresh
  bool boundUp = false;  // one of those is up
};

void CountBoundLinks(MeterContext& meter, SetTick& tick, const std::vector<SourceReading>& rows,
                     const std::vector<std::optional<std::size_t>>& found) {
  for (std::size_t i = 0; i < tick.links.size(); ++i) {
    LinkState& link = tick.links[i];
    if (!link.bound) continue;
    // Found elsewhere or down: "DC" for it, and the next tick finds it afresh.
    if (found[i] != link.row || !rows[link.row].connected) {
      link.bound = false;
      continue;
    }
    if (!GivesNoReading(link, rows[link.row])) Add(tick.growth, CountGrowth(link, rows[link.row]));
    tick.counted = true;
    if (i == 0) {
      meter.state.CurDownKB = link.prevDownKB;
      meter.state.CurUpKB = link.prevUpKB;
    }
  }
}

// Takes the row's present readings as the base, and, unless the link was just added, what
// passed since the readings that the store keeps (metering/readings.h). The loaded figures
// are reloaded before the first binding of a tick in which nothing counted.
void BindLink(MeterContext& meter, SetTick& tick, LinkState& link, const SourceReading& row,
              std::size_t at) {
  if (!tick.counted && !tick.bound)
    LoadDataValuesFromRegistry(meter.state, meter.store, meter.locale);
  if (GivesNoReading(link, row)) {  // bound again on the readings it holds
    link.bound = true;
    link.row = static_cast<std::uint32_t>(at);
    tick.bound = true;
    tick.boundUp = tick.boundUp || row.connected;
    return;
  }
  const bool fresh = link.fresh;
  link = {.bound = true,
          .row = static_cast<std::uint32_t>(at),
          .prevDownKB = OctetsToKB(row.downOctets32),
          .prevUpKB = OctetsToKB(row.upOctets32)};
  Remember64(link, row);
  if (!fresh) Add(tick.uncounted, UncountedTraffic(meter.store, meter.clock, LinkReadings(link)));
  tick.bound = true;
  tick.boundUp = tick.boundUp || row.connected;
}

void BindFoundLinks(MeterContext& meter, SetTick& tick, const std::vector<bool>& wasBound,
                    const std::vector<SourceReading>& rows,
                    const std::vector<std::optional<std::size_t>>& found) {
  if (!wasBound[0]) meter.state.AdapterRow = kUnlocatedRow;
  for (std::size_t i = 0; i < tick.links.size(); ++i) {
    if (wasBound[i] || !found[i] || (i == 0 && *found[i] > kFurthestFirstRow)) continue;
    const bool fresh = i == 0 ? meter.state.AdapterFresh : tick.links[i].fresh;
    tick.links[i].fresh = fresh;
    BindLink(meter, tick, tick.links[i], rows[*found[i]], *found[i]);
    if (i == 0) meter.state.AdapterFresh = false;
  }
}

void ShowFigures(MeterContext& meter) {
  const std::string total = TotalText(meter);
  const std::string speed = SpeedText(meter.state);
  meter.view.SetLabel1(meter.state.ShuffleOn ? speed : total);
  meter.view.SetLabel2(meter.state.ShuffleOn ? total : speed);
  meter.view.SetLabel3(TimeText(meter.state));
}

// The readings go first: a kill before "TotalData" loses this tick's growth, and the next
// start counts on from these readings, so nothing is counted twice. The usage history comes
// between the two and takes the tick back when "TotalData" lacks it.
std::uint8_t StoreTick(MeterContext& meter, const SetTick& tick) {
  MeterState& state = meter.state;
  const std::uint64_t added =
      tick.growth.downKB + tick.growth.upKB + tick.uncounted.downKB + tick.uncounted.upKB;
  // More than 4,294,967,295 KB in a cycle: the total stays there and the time goes on.
  state.TotalDataKB = SaturatedAdd(state.TotalDataKB, added);
  state.DownDeltaKB = tick.counted ? SaturatedAdd(std::uint32_t{0}, tick.growth.downKB) : 0;
  state.UpDeltaKB = tick.counted ? SaturatedAdd(std::uint32_t{0}, tick.growth.upKB) : 0;
  if (!tick.counted) state.CurDownKB = state.CurUpKB = 0;
  if (tick.counted) CarryConnectedTime(state);
  KeepReadings(meter, BoundReadings(tick.links));
  if (tick.counted || added != 0) {
    RecordPlanUsage(meter, tick.growth.downKB + tick.uncounted.downKB,
                    tick.growth.upKB + tick.uncounted.upKB,
                    tick.uncounted.downKB + tick.uncounted.upKB);
    WriteValueNumber(meter.store, stored::TotalData, state.TotalDataKB);
  }
  if (!tick.counted) return tick.boundUp ? 1 : 0;
  WriteValueNumber(meter.store, stored::Seconds, state.Seconds);
  WriteValueNumber(meter.store, stored::Minutes, state.Minutes);
  WriteValueNumber(meter.store, stored::Hours, state.Hours);
  ShowFigures(meter);
  return 1;
}

std::uint8_t CountSet(MeterContext& meter, const std::vector<SourceReading>& rows) {
  MeterState& state = meter.state;
  const auto found = MatchConnections(MeteredConnections(state), rows);
  FollowNewNames(meter, rows, found);
  SetTick tick{.links = Links(state)};
  std::vector<bool> wasBound;
  for (const LinkState& link : tick.links)
    wasBound.push_back(link.bound);
  CountBoundLinks(meter, tick, rows, found);
  if (!tick.counted) ShowCode(meter, "DC");
  BindFoundLinks(meter, tick, wasBound, rows, found);
  if (!tick.counted && !tick.bound) {
    SetLinks(state, tick.links);
    return 0;
  }
  const std::uint8_t result = StoreTick(meter, tick);
  SetLinks(state, tick.links);
  return result;
}

}  // namespace

std::uint8_t AddCountedTick(MeterContext& meter, std::uint64_t downKB, std::uint64_t upKB,
                            void (*keep)(MeterContext&)) {
  MeterState& state = meter.state;
  // More than 4,294,967,295 KB in a cycle: the total stays there and the time goes on.
  state.TotalDataKB = SaturatedAdd(SaturatedAdd(state.TotalDataKB, downKB), upKB);
  CarryConnectedTime(state);
  // The readings first, as for the connections (StoreTick).
  keep(meter);
  RecordPlanUsage(meter, downKB, upKB, 0);
  WriteValueNumber(meter.store, stored::TotalData, state.TotalDataKB);
  WriteValueNumber(meter.store, stored::Seconds, state.Seconds);
  WriteValueNumber(meter.store, stored::Minutes, state.Minutes);
  WriteValueNumber(meter.store, stored::Hours, state.Hours);
  ShowFigures(meter);
  return 1;
}

std::uint8_t ShowDisconnected(MeterContext& meter) {
  UnbindAll(meter.state);
  ShowCode(meter, "DC");
  return 0;
}

std::vector<LinkState> Links(const MeterState& state) {
  std::vector<LinkState> links{{.bound = state.AdapterBound,
                                .row = state.AdapterRow,
                                .prevDownKB = state.PrevDownKB,
                                .prevUpKB = state.PrevUpKB,
                                .has64 = state.Has64,
                                .index64 = state.Index64,
                                .prevDownKB64 = state.PrevDownKB64,
                                .prevUpKB64 = state.PrevUpKB64,
                                .fresh = state.AdapterFresh}};
  const std::size_t count = MeteredConnections(state).size();
  links.insert(links.end(), state.OtherLinks.begin(), state.OtherLinks.end());
  links.resize(count);
  return links;
}

void SetLinks(MeterState& state, const std::vector<LinkState>& links) {
  const LinkState& first = links.front();
  state.AdapterBound = first.bound;
  if (first.bound) state.AdapterRow = CheckedNarrow<std::uint8_t>(std::int64_t{first.row});
  state.PrevDownKB = first.prevDownKB;
  state.PrevUpKB = first.prevUpKB;
  state.Has64 = first.has64;
  state.Index64 = first.index64;
  state.PrevDownKB64 = first.prevDownKB64;
  state.PrevUpKB64 = first.prevUpKB64;
  state.AdapterFresh = first.fresh;
  state.OtherLinks.assign(links.begin() + 1, links.end());
}

void UnbindAll(MeterState& state) {
  state.AdapterBound = false;
  for (LinkState& link : state.OtherLinks)
    link.bound = false;
}

std::uint8_t GetConnectedState(MeterContext& meter) {
  if (meter.state.FreezeOn) {
    // What passes while frozen is never counted, not even by a later start.
    if (meter.state.Kept != MeterState::Keeping::Nothing || meter.state.Router.Base()) {
      ForgetReadings(meter.state, meter.store);
      ForgetRouterReadings(meter.state, meter.store);
    }
    UnbindAll(meter.state);
    ShowCode(meter, "FR");
    return 0;
  }
  try {
    if (meter.router && !meter.state.NetworkRouter.empty()) return CountRouterTick(meter);
    const std::vector<SourceReading> rows = ReadConnections(meter);
    if (rows.empty()) {
      meter.view.SetLabel1("NOADP");
      return 0;
    }
    return CountSet(meter, rows);
  } catch (const std::exception&) {
    UnbindAll(meter.state);
    return 0;
  }
}

std::uint32_t OctetsToKB(std::uint32_t octets) {
  return static_cast<std::uint32_t>(OctetsToKB64(octets));
}

std::uint64_t OctetsToKB64(std::uint64_t octets) {
  const std::uint64_t kilobytes = octets >> 10;
  const std::uint64_t rest = octets & 1023;
  const bool up = rest > 512 || (rest == 512 && (kilobytes & 1) != 0);
  return up ? kilobytes + 1 : kilobytes;
}

std::string SpeedText(const MeterState& state) {
  const std::uint32_t sum = CheckedAdd(state.DownDeltaKB, state.UpDeltaKB);
  return std::to_string(sum / 2) + "/s";
}

std::string TimeText(const MeterState& state) {
  return TwoDigits(state.Hours) + ":" + TwoDigits(state.Minutes);
}

}  // namespace pelliton
