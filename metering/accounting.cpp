#include "metering/accounting.h"

#include <exception>

#include "metering/data_quantity.h"
#include "store/errors.h"
#include "store/catalogue.h"
#include "metering/loader.h"

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

std::uint8_t CountConnectedTick(MeterContext& meter, const IfRow& row) {
  MeterState& state = meter.state;
  state.CurDownKB = OctetsToKB(row.dwInOctets);
  state.CurUpKB = OctetsToKB(row.dwOutOctets);
  state.DownDeltaKB = Growth(state.CurDownKB, state.PrevDownKB);
  state.PrevDownKB = state.CurDownKB;
  state.UpDeltaKB = Growth(state.CurUpKB, state.PrevUpKB);
  state.PrevUpKB = state.CurUpKB;
  state.TotalDataKB = CheckedAdd(CheckedAdd(state.TotalDataKB, state.DownDeltaKB), state.UpDeltaKB);
  CarryConnectedTime(state);

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

std::uint8_t AccountKnownRow(MeterContext& meter, const Snapshot& snapshot) {
  const MeterState& state = meter.state;
  if (state.AdapterRow >= snapshot.size()) return Disconnected(meter);
  const IfRow& row = snapshot[state.AdapterRow];
  if (DescriptionText(row) != state.NetworkType || row.dwOperStatus == 0) {
    return Disconnected(meter);
  }
  return CountConnectedTick(meter, row);
}

// Takes the row's present readings as the base: nothing before this tick is counted.
std::uint8_t Bind(MeterContext& meter, const IfRow& row, std::uint8_t index) {
  MeterState& state = meter.state;
  state.AdapterRow = index;
  state.DownDeltaKB = 0;
  state.PrevDownKB = OctetsToKB(row.dwInOctets);
  state.CurDownKB = 0;
  state.UpDeltaKB = 0;
  state.PrevUpKB = OctetsToKB(row.dwOutOctets);
  state.CurUpKB = 0;
  LoadDataValuesFromRegistry(state, meter.store, meter.locale);
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
      return Bind(meter, snapshot[i], index);
    }
  }
  return 0;
}

}  // namespace

std::uint8_t GetConnectedState(MeterContext& meter) {
  if (meter.state.FreezeOn) {
    meter.state.AdapterBound = false;
    ShowCode(meter, "FR");
    return 0;
  }
  try {
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
  const std::uint32_t kilobytes = octets >> 10;
  const std::uint32_t rest = octets & 1023;
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
