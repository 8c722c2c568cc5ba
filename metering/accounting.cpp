#include "metering/accounting.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

#include "metering/base/checked.h"
#include "metering/base/data_quantity.h"
#include "metering/history/usage_history.h"
#include "metering/loader.h"
#include "metering/plan/plan_usage.h"
#include "metering/sources/connection_set.h"
#include "metering/sources/readings.h"
#include "metering/sources/router_meter.h"
#include "store/catalogue.h"
#include "store/errors.h"

namespace pelliton {

namespace {

// The octet counters wrap at 2^32; in KB that is the whole range.
constexpr std::int64_t kCounterRangeKB = 4194304;
// More growth than this in one tick is taken for a reset of the counter, not a wrap.
constexpr std::int64_t kLargestWrapKB = kCounterRangeKB / 2;

std::string TotalText(const MeterContext& meter) {
  return FormatDataQuantity(meter.state.TotalDataKB, meter.locale.NumberSeparators());
}

// At least two digits: 5 reads 05, 123 reads 123.
std::string TwoDigits(std::uint16_t value) {
  std::string text(value < 10 ? 1 : 0, '0');
  return text += std::to_string(value);
}

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

// The readings to store: those of the bound links, and the last stored ones of a link unbound
// since, until it is bound again.
std::vector<Readings> KeptReadings(const std::vector<LinkState>& links) {
  std::vector<Readings> readings;
  for (const LinkState& link : links)
    if (link.bound || link.held) readings.push_back(LinkReadings(link));
  return readings;
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
  state.NetworkType = set.front().description;
  state.Connections = std::move(set);
  state.SetUnsaved = true;
  try {
    WriteWhereDiffering(meter.store, stored::NetworkType, state.NetworkType);
    WriteWhereDiffering(meter.store, stored::NetworkSet, FormatNetworkSet(state.Connections));
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

// Each link found and not bound, also one found at another interface on this tick.
void BindFoundLinks(MeterContext& meter, SetTick& tick, const std::vector<SourceReading>& rows,
                    const std::vector<std::optional<std::size_t>>& found) {
  if (!tick.links[0].bound) meter.state.AdapterRow = kUnlocatedRow;
  for (std::size_t i = 0; i < tick.links.size(); ++i) {
    if (tick.links[i].bound || !found[i]) continue;
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
  KeepReadings(state, meter.store, meter.clock, KeptReadings(tick.links));
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
  CountBoundLinks(meter, tick, rows, found);
  if (!tick.counted) ShowCode(meter, "DC");
  BindFoundLinks(meter, tick, rows, found);
  if (!tick.counted && !tick.bound) {
    SetLinks(state, tick.links);
    return 0;
  }
  const std::uint8_t result = StoreTick(meter, tick);
  SetLinks(state, tick.links);
  return result;
}

// The router's growth as one counted tick; "DC" while no reading of it is in, or while its
// internet side is down.
std::uint8_t AddRouterTick(MeterContext& meter) {
  const RouterTick tick = CountRouterTick(meter.state, meter.store, *meter.router);
  if (!tick.notice.empty()) meter.view.PostNotice(tick.notice);
  if (!tick.seen) return ShowDisconnected(meter);
  AddCountedTick(meter, tick.downKB, tick.upKB,
                 [](MeterContext& m) { KeepRouterReadings(m.state, m.store); });
  if (tick.linkUp) return 1;
  meter.view.SetLabel1("DC");
  return 0;
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
    if (meter.router && !meter.state.NetworkRouter.empty()) return AddRouterTick(meter);
    const std::vector<SourceReading> rows = ReadConnections(meter.table);
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
