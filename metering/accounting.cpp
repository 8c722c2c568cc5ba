#include "metering/accounting.h"

#include <exception>

#include "metering/base/checked.h"
#include "metering/base/data_quantity.h"
#include "metering/loader.h"
#include "metering/plan/plan_usage.h"
#include "metering/sources/connection_set.h"
#include "metering/sources/readings.h"
#include "metering/sources/router_meter.h"
#include "metering/sources/set_counting.h"
#include "store/catalogue.h"
#include "store/errors.h"

namespace pelliton {

namespace {

std::string TotalText(const MeterContext& meter) {
  return FormatDataQuantity(meter.state.TotalDataKB, meter.locale.NumberSeparators());
}

// At least two digits: 5 reads 05, 123 reads 123.
std::string TwoDigits(std::uint16_t value) {
  std::string text(value < 10 ? 1 : 0, '0');
  return text += std::to_string(value);
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

void ShowFigures(MeterContext& meter) {
  const std::string total = TotalText(meter);
  const std::string speed = SpeedText(meter.state);
  meter.view.SetLabel1(meter.state.ShuffleOn ? speed : total);
  meter.view.SetLabel2(meter.state.ShuffleOn ? total : speed);
  meter.view.SetLabel3(TimeText(meter.state));
}

// What a source's tick adds to the figures: the growth it counted from its last tick, and
// what passed while nothing counted, by the readings that the store keeps. Only a tick that
// `counted` carries and stores the connected time and shows the figures.
struct TickGrowth {
  Traffic growth{};
  Traffic uncounted{};
  bool counted = false;
};

// Adds a tick's growth to the cycle's total and stores the running figures. The source's
// readings (`keep`) go first: a kill before "TotalData" loses this tick's growth, and the next
// start counts on from these readings, so nothing is counted twice. The usage history and the
// plan's figures come between the two and take the tick back when "TotalData" lacks it.
template <class Keep>
void AddGrowth(MeterContext& meter, const TickGrowth& tick, Keep keep) {
  MeterState& state = meter.state;
  const std::uint64_t downKB = tick.growth.downKB + tick.uncounted.downKB;
  const std::uint64_t upKB = tick.growth.upKB + tick.uncounted.upKB;
  // More than 4,294,967,295 KB in a cycle: the total stays there and the time goes on.
  state.TotalDataKB = SaturatedAdd(state.TotalDataKB, downKB + upKB);
  if (tick.counted) CarryConnectedTime(state);
  keep();
  if (tick.counted || downKB + upKB != 0) {
    RecordPlanUsage(meter, downKB, upKB, tick.uncounted.downKB + tick.uncounted.upKB);
    WriteValueNumber(meter.store, stored::TotalData, state.TotalDataKB);
  }
  if (!tick.counted) return;
  WriteValueNumber(meter.store, stored::Seconds, state.Seconds);
  WriteValueNumber(meter.store, stored::Minutes, state.Minutes);
  WriteValueNumber(meter.store, stored::Hours, state.Hours);
  ShowFigures(meter);
}

// The set of interface rows: "DC" with the figures as they were while no connection counted;
// a connection bound afresh then counts on from the figures as the store holds them (the
// binding reads none of the figures that the reload replaces, so it may come first).
std::uint8_t CountSet(MeterContext& meter, const std::vector<SourceReading>& rows) {
  MeterState& state = meter.state;
  const SetTick tick = CountSetTick(state, meter.store, meter.clock, rows);
  if (!tick.counted) ShowCode(meter, "DC");
  if (!tick.counted && tick.bound) LoadDataValuesFromRegistry(state, meter.store, meter.locale);
  if (tick.counted || tick.bound) {
    AddGrowth(meter, {tick.growth, tick.uncounted, tick.counted}, [&] {
      KeepReadings(state, meter.store, meter.clock, KeptReadings(tick.links));
    });
  }
  SetLinks(state, tick.links);
  return tick.counted || tick.boundUp ? 1 : 0;
}

// The router: its growth counts on every tick it answers; "DC" while no reading of it is in,
// or while its internet side is down.
std::uint8_t CountRouter(MeterContext& meter) {
  const RouterTick tick = CountRouterTick(meter.state, meter.store, *meter.router);
  if (!tick.notice.empty()) meter.view.PostNotice(tick.notice);
  if (!tick.seen) return ShowDisconnected(meter);
  AddGrowth(meter, {.growth = tick.growth, .counted = true},
            [&] { KeepRouterReadings(meter.state, meter.store); });
  if (tick.linkUp) return 1;
  meter.view.SetLabel1("DC");
  return 0;
}

}  // namespace

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
    if (meter.router && !meter.state.NetworkRouter.empty()) return CountRouter(meter);
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

std::string SpeedText(const MeterState& state) {
  const std::uint32_t sum = CheckedAdd(state.DownDeltaKB, state.UpDeltaKB);
  return std::to_string(sum / 2) + "/s";
}

std::string TimeText(const MeterState& state) {
  return TwoDigits(state.Hours) + ":" + TwoDigits(state.Minutes);
}

}  // namespace pelliton
