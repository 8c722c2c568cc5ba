#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "metering/base/clock.h"
#include "metering/base/locale.h"
#include "metering/meter_context.h"
#include "metering/meter_state.h"
#include "metering/plan/plan.h"

namespace pelliton {

// What the views show of the plan. They read the settings and figures that MeterState keeps
// (KnownPlanSettings and KnownPlanFigures in metering/plan/plan_usage.h bring them in; the
// tick does so on every counted tick); without them, the plan of one allowance.

inline constexpr std::string_view kMainAllowanceTitle = "Main allowance";
inline constexpr std::string_view kOffPeakAllowanceTitle = "Off-peak allowance";
inline constexpr std::string_view kDailyAllowanceTitle = "Daily allowance";

// Whether the plan has more than the main allowance to show: a window or a daily allowance.
bool PlanShown(const MeterState& state);

// The Monthly Data Cap dialog's lines with a plan: the cycle's total, then each allowance that
// is set, the main and the off-peak one with the pace and the "to stay within it" line:
//   "Used 15.44 GB in all, day 9 of 31 of this cycle."
//   "Main: 12.34 GB of 50 GB (24 %)", "At this pace: ...", "To stay within it: ..."
//   "Off-peak (02:00-08:00): 3.10 GB of 10 GB (31 %)", "At this pace: ...", ...
//   "Today: 1.20 GB of 1.5 GB until 00:00"
// `main` is the main allowance as the dialog shows it. CycleLines gives these when
// PlanShown.
std::vector<std::string> PlanLines(const MeterState& state, const Allowance& main,
                                   const LocalDateTime& now, const Locale& locale);

// One short line for each allowance that is set, for the icon's tip and the Usage History
// window: "Main: 12.34 GB of 50 GB (24 %)", "Off-peak (02:00-08:00): 3.10 GB of 10 GB",
// "Off-peak (02:00-08:00): 3.10 GB, free", "Today: 1.20 GB of 1.5 GB until 00:00". Without
// a plan, AllowanceSummary's line alone (none without an allowance).
std::vector<std::string> AllowanceLines(const MeterState& state, const Allowance& main,
                                        const LocalDateTime& now, const Locale& locale);

// The icon's gauge: Whole when an allowance is used up, Warning when one has reached its
// warning level, the one furthest along deciding.
GaugeLevel PlanGaugeLevel(const MeterState& state, const Allowance& main,
                          const LocalDateTime& now);

// The tick's look at the off-peak and the daily allowance after the main one's: each warns
// once at its level and once at 100 % (the daily one once a day of its own), marked given in
// "PlanWarned" first, and handed to the view with its name as the title. A warning whose
// threshold the figure is below again (a new cycle or day, a raised allowance, a correction)
// may come again. Never fails.
void WatchPlan(MeterContext& meter, const LocalDateTime& now) noexcept;

}  // namespace pelliton
