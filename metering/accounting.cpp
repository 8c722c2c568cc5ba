#include "metering/accounting.h"

#include <exception>
#include <optional>
#include <utility>

#include "metering/checked.h"
#include "metering/data_quantity.h"
#include "metering/loader.h"
#include "metering/readings.h"
#include "metering/router_meter.h"
#include "metering/usage_history.h"
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
// the growth runs across the wrap; one that fell too far was reset and counts from zero.
std::uint32_t Growth(std::uint32_t current, std::uint32_t previous) {
  if (current >= previous) return current - previous;
  const std::int64_t acrossWrap = std::int64_t{current} + kCounterRangeKB - previous;
  return acrossWrap > kLargestWrapKB ? current : static_cast<std::uint32_t>(acrossWrap);
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

std::uint8_t Disconnected(MeterContext& meter) {
  meter.state.AdapterBound = false;
  ShowCode(meter, "DC");
  return 0;
}

// Growth of a 64-bit reading, which never wraps: one that went down was reset and counts
// from zero. More than 32 bits of KB in one tick raises RangeError.
std::uint32_t Growth64(std::uint64_t current, std::uint64_t previous) {
  const std::uint64_t growth = current >= previous ? current - previous : current;
  if (!std::in_range<std::uint32_t>(growth)) throw RangeError();
  return static_cast<std::uint32_t>(growth);
}

// Keeps this tick's 64-bit readings, or forgets the last ones when there are none, so that
// a tick without them never leaves a stale base for a later one.
void Remember64(MeterState& state, std::uint32_t index, const std::optional<Counters64>& wide) {
  state.Has64 = wide.has_value();
  state.Index64 = index;
  state.PrevDownKB64 = wide ? OctetsToKB64(wide->inOctets) : 0;
  state.PrevUpKB64 = wide ? OctetsToKB64(wide->outOctets) : 0;
}

// The tick's growth from the 64-bit counters when this tick and the last both had them for
// the same interface, else from the 32-bit readings by the wrap rule. Both bases move on
// every tick, so a change of source never counts a jump.
void CountGrowth(MeterContext& meter, const IfRow& row) {
  MeterState& state = meter.state;
  const std::optional<Counters64> wide = meter.table.ReadCounters64(row.dwIndex);
  state.CurDownKB = OctetsToKB(row.dwInOctets);
  state.CurUpKB = OctetsToKB(row.dwOutOctets);
  if (wide && state.Has64 && state.Index64 == row.dwIndex) {
    state.DownDeltaKB = Growth64(OctetsToKB64(wide->inOctets), state.PrevDownKB64);
    state.UpDeltaKB = Growth64(OctetsToKB64(wide->outOctets), state.PrevUpKB64);
  } else {
    state.DownDeltaKB = Growth(state.CurDownKB, state.PrevDownKB);
    state.UpDeltaKB = Growth(state.CurUpKB, state.PrevUpKB);
  }
  state.PrevDownKB = state.CurDownKB;
  state.PrevUpKB = state.CurUpKB;
  Remember64(state, row.dwIndex, wide);
}

std::uint8_t CountConnectedTick(MeterContext& meter, const IfRow& row) {
  CountGrowth(meter, row);
  return AddCountedTick(meter, meter.state.DownDeltaKB, meter.state.UpDeltaKB, KeepReadings);
}

std::uint8_t AccountKnownRow(MeterContext& meter, const Snapshot& snapshot) {
  const MeterState& state = meter.state;
  if (state.AdapterRow >= snapshot.size()) return Disconnected(meter);
  const IfRow& row = snapshot[state.AdapterRow];
  if (DescriptionText(row) != state.NetworkType || !IsConnected(row)) {
    return Disconnected(meter);
  }
  return CountConnectedTick(meter, row);
}

// Takes the row's present readings as the base, and adds to the loaded total what passed
// since the readings that the store keeps (metering/readings.h); kept, then stored.
std::uint8_t Bind(MeterContext& meter, const IfRow& row, std::uint8_t index) {
  MeterState& state = meter.state;
  state.AdapterRow = index;
  state.DownDeltaKB = 0;
  state.PrevDownKB = OctetsToKB(row.dwInOctets);
  state.CurDownKB = 0;
  state.UpDeltaKB = 0;
  state.PrevUpKB = OctetsToKB(row.dwOutOctets);
  state.CurUpKB = 0;
  Remember64(state, row.dwIndex, meter.table.ReadCounters64(row.dwIndex));
  LoadDataValuesFromRegistry(state, meter.store, meter.locale);
  const Traffic uncounted = UncountedTraffic(meter.store, meter.clock, PresentReadings(state));
  state.TotalDataKB = SaturatedAdd(state.TotalDataKB, uncounted.downKB + uncounted.upKB);
  KeepReadings(meter);
  if (uncounted.downKB + uncounted.upKB != 0) {
    RecordUsage(meter, uncounted.downKB, uncounted.upKB);
    WriteValueNumber(meter.store, stored::TotalData, state.TotalDataKB);
  }
  state.AdapterBound = true;
  return 1;
}

// The first row in table order whose description is the chosen one. The row index is
// 8-bit: a search that has to look past row 255 fails.
std::uint8_t SearchRow(MeterContext& meter, const Snapshot& snapshot) {
  meter.state.AdapterBound = false;
  ShowCode(meter, "DC");
  meter.state.AdapterRow = kUnlocatedRow;
  for (std::size_t i = 0; i < snapshot.size(); ++i) {
    const auto index = CheckedNarrow<std::uint8_t>(static_cast<std::int64_t>(i));
    if (DescriptionText(snapshot[i]) == meter.state.NetworkType) {
      // A link that is down is found and bound all the same, but its tick is a "DC" one.
      const std::uint8_t located = Bind(meter, snapshot[i], index);
      return IsConnected(snapshot[i]) ? located : 0;
    }
  }
  return 0;
}

}  // namespace

std::uint8_t AddCountedTick(MeterContext& meter, std::uint64_t downKB, std::uint64_t upKB,
                            void (*keep)(MeterContext&)) {
  MeterState& state = meter.state;
  // More than 4,294,967,295 KB in a cycle: the total stays there and the time goes on.
  state.TotalDataKB = SaturatedAdd(SaturatedAdd(state.TotalDataKB, downKB), upKB);
  CarryConnectedTime(state);

  // The readings go first: a kill before "TotalData" loses this tick's growth, and the next
  // start counts on from these readings, so nothing is counted twice. The usage history
  // comes between the two and takes the tick back when "TotalData" lacks it.
  keep(meter);
  RecordUsage(meter, downKB, upKB);
  WriteValueNumber(meter.store, stored::TotalData, state.TotalDataKB);
  WriteValueNumber(meter.store, stored::Seconds, state.Seconds);
  WriteValueNumber(meter.store, stored::Minutes, state.Minutes);
  WriteValueNumber(meter.store, stored::Hours, state.Hours);

  const std::string total = TotalText(meter);
  const std::string speed = SpeedText(state);
  meter.view.SetLabel1(state.ShuffleOn ? speed : total);
  meter.view.SetLabel2(state.ShuffleOn ? total : speed);
  meter.view.SetLabel3(TimeText(state));
  return 1;
}

std::uint8_t ShowDisconnected(MeterContext& meter) {
  return Disconnected(meter);
}

std::uint8_t GetConnectedState(MeterContext& meter) {
  if (meter.state.FreezeOn) {
    // What passes while frozen is never counted, not even by a later start.
    if (meter.state.Kept != MeterState::Keeping::Nothing || meter.state.Router.Base()) {
      ForgetReadings(meter.state, meter.store);
      ForgetRouterReadings(meter.state, meter.store);
    }
    meter.state.AdapterBound = false;
    ShowCode(meter, "FR");
    return 0;
  }
  try {
    if (meter.router && !meter.state.NetworkRouter.empty()) return CountRouterTick(meter);
    Snapshot snapshot;
    Get_IfTableMIB(meter.table, snapshot);
    if (snapshot.empty()) {
      meter.view.SetLabel1("NOADP");
      return 0;
    }
    return meter.state.AdapterBound ? AccountKnownRow(meter, snapshot) : SearchRow(meter, snapshot);
  } catch (const std::exception&) {
    meter.state.AdapterBound = false;
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
