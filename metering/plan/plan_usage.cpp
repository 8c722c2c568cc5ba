#include "metering/plan/plan_usage.h"

#include <algorithm>
#include <exception>

#include "metering/history/usage_history.h"
#include "store/catalogue.h"

namespace pelliton {

namespace {

// More than this since the run's last counted tick, and the meter was stopped between them.
constexpr std::int64_t kLongestTickGapMinutes = 2;
// A quiet meter stores its last tick's minute at least this often.
constexpr std::int64_t kStampEveryMinutes = 10;
constexpr std::uint64_t kLargestFigureKB = std::uint64_t{1} << 48;

std::uint32_t StoredTotal(SettingsStore& store, std::uint32_t otherwise) noexcept {
  try {
    return static_cast<std::uint32_t>(ReadValueNumber(store, stored::TotalData));
  } catch (...) {
    return otherwise;
  }
}

std::uint64_t Plus(std::uint64_t figure, std::uint64_t more) {
  return std::min(figure + more, kLargestFigureKB);
}

// The figures with the cycle's total as MeterState holds it.
PlanFigures WithTotal(MeterState& state, SettingsStore& store) noexcept {
  PlanFigures figures = KnownPlanFigures(state, store);
  figures.total = state.TotalDataKB;
  figures.windowKB = std::min<std::uint64_t>(figures.windowKB, state.TotalDataKB);
  return figures;
}

// The daily allowance's day moves on with the clock; a clock set back less than a day counts
// on in the day already begun.
void MoveDay(PlanFigures& figures, std::uint32_t day, std::optional<std::int64_t> last,
             std::int64_t now) {
  if (day == figures.day) return;
  if (day < figures.day && last && *last - now <= 1440) return;
  figures.day = day;
  figures.dayKB = figures.dayWindowKB = 0;
}

}  // namespace

const PlanSettings& KnownPlanSettings(MeterState& state, SettingsStore& store) noexcept {
  if (!state.PlanSet || state.PlanSetRead != PlanSettingsChanges()) {
    state.PlanSetRead = PlanSettingsChanges();
    state.PlanSet = ReadPlanSettings(store);
  }
  return *state.PlanSet;
}

PlanFigures KnownPlanFigures(MeterState& state, SettingsStore& store) noexcept {
  if (!state.Plan) {
    std::string text;
    try {
      text = ReadValueText(store, stored::PlanData);
    } catch (...) {  // a value of another type reads as none
    }
    state.Plan = SettledPlanFigures(text, StoredTotal(store, state.TotalDataKB));
  }
  return *state.Plan;
}

void StorePlanSettings(MeterState& state, SettingsStore& store, const PlanSettings& settings) {
  StorePlanSettings(store, settings);
  KnownPlanSettings(state, store);
}

void RecordPlanUsage(MeterContext& meter, std::uint64_t downKB, std::uint64_t upKB,
                     std::uint64_t stoppedKB) {
  MeterState& state = meter.state;
  const LocalDateTime now = state.TickTime.Year != 0 ? state.TickTime : meter.clock.Now();
  const PlanSettings settings = KnownPlanSettings(state, meter.store);
  PlanFigures figures = KnownPlanFigures(state, meter.store);
  const std::optional<std::int64_t> minute = LocalMinute(now);
  const std::uint64_t growth = downKB + upKB;
  stoppedKB = std::min(stoppedKB, growth);
  const std::optional<std::int64_t> stored = StampMinute(figures.stamp);
  const std::optional<std::int64_t> last = state.PlanLastMinute ? state.PlanLastMinute : stored;
  PlanShare share{};
  if (minute) {
    if (last && *minute - *last > kLongestTickGapMinutes) stoppedKB = growth;
    share = SplitGrowth(settings, last, *minute, growth - stoppedKB, stoppedKB);
    MoveDay(figures, DailyDay(settings, *minute), last, *minute);
  }
  // A plan that is set keeps the time of a quiet meter's last tick for a later start.
  const bool planSet = settings.hasWindow || settings.dailyCapMB != 0;
  const bool quietTooLong = planSet && minute &&
                            (!stored || *minute - *stored >= kStampEveryMinutes || *minute < *stored);
  const std::uint32_t day = figures.day;
  figures.total = state.TotalDataKB;
  figures.windowKB = Plus(figures.windowKB, share.windowKB);
  figures.dayKB = Plus(figures.dayKB, share.dayKB);
  figures.dayWindowKB = Plus(figures.dayWindowKB, share.dayWindowKB);
  figures.addedKB = growth;
  figures.addedWindowKB = share.windowKB;
  figures.addedDayKB = share.dayKB;
  figures.addedDayWindowKB = share.dayWindowKB;
  if (minute) figures.stamp = StampOf(now);
  try {
    RecordUsage(state, meter.store, meter.clock, downKB, upKB, share.windowKB);
    if (growth != 0 || quietTooLong || (planSet && day != state.Plan->day))
      WriteValueText(meter.store, stored::PlanData, FormatPlanFigures(figures));
    else
      figures.stamp = state.Plan->stamp;
  } catch (...) {
    state.Plan.reset();
    throw;
  }
  state.Plan = figures;
  if (minute) state.PlanLastMinute = minute;
}

void RestartPlanFigures(MeterState& state, SettingsStore& store) {
  PlanFigures figures = KnownPlanFigures(state, store);
  figures.total = 0;
  figures.windowKB = 0;
  figures.addedKB = figures.addedWindowKB = figures.addedDayKB = figures.addedDayWindowKB = 0;
  state.Plan.reset();  // read again should the write fail
  WriteValueText(store, stored::PlanData, FormatPlanFigures(figures));
  state.Plan = figures;
}

std::uint64_t MainAllowanceUsedKB(MeterState& state, SettingsStore& store) noexcept {
  return MainUsedKB(KnownPlanSettings(state, store), WithTotal(state, store));
}

std::uint64_t OffPeakAllowanceUsedKB(MeterState& state, SettingsStore& store) noexcept {
  return OffPeakUsedKB(KnownPlanSettings(state, store), WithTotal(state, store));
}

std::uint64_t DailyAllowanceUsedKB(MeterState& state, SettingsStore& store,
                                   const LocalDateTime& now) noexcept {
  const PlanSettings& settings = KnownPlanSettings(state, store);
  const std::optional<std::int64_t> minute = LocalMinute(now);
  if (!minute) return 0;
  return DailyUsedKB(settings, WithTotal(state, store), DailyDay(settings, *minute));
}

}  // namespace pelliton
