#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "metering/plan/allowance.h"
#include "metering/base/locale.h"
#include "metering/history/usage_history.h"
#include "metering/plan/plan.h"
#include "ui/dialogs/usage_chart.h"

namespace pelliton {

// What the "Usage History" window shows, apart from the window: the cycles it steps through,
// the day chosen, the charts' inputs and the lines above and under the chart. Texts are in
// the system code page.

// A billing cycle: its first day and the day after its last.
struct CycleDays {
  std::chrono::sys_days start, end;
};

// The kept records, in any order; a date or hour given twice adds up. `hours` only of the days
// whose hours are all kept.
struct UsageRecords {
  std::vector<DayUsage> days;
  std::vector<HourUsage> hours;
};

// The cycles to step through: `current` first, then the finished cycles of `allData` newest
// first (a record whose start does not read began a month before its end), then a month each
// further back, as long as a cycle reaches past `earliestDay`, the oldest day record.
std::vector<CycleDays> ViewableCycles(CycleDays current, std::u16string_view allData,
                                      const Locale& locale,
                                      std::optional<std::chrono::sys_days> earliestDay);

// The hours of the day that the plan's off-peak window covers, wholly or in part.
std::vector<bool> OffPeakHours(const PlanSettings& plan);

class UsageWindowModel {
 public:
  // Opens on the first cycle with `today` chosen when it lies in it.
  UsageWindowModel(std::vector<CycleDays> cycles, UsageRecords records, std::uint64_t allowanceKB,
                   std::chrono::sys_days today, const Locale& locale);

  // The plan, whose off-peak hours the hour chart shows apart.
  void SetPlan(const PlanSettings& plan) { plan_ = plan; }

  bool CanStepBack() const { return cycle_ + 1 < cycles_.size(); }
  bool CanStepForward() const { return cycle_ > 0; }
  // To an earlier or later cycle, choosing its last day with data (today in the current one).
  void Step(int earlier);

  std::size_t DayCount() const;
  std::optional<std::size_t> Chosen() const { return chosen_; }
  void Choose(std::size_t day);
  // Left and Right: the day before or after, within the cycle; the first or last when none.
  void MoveChoice(int by);

  ChartInput DayChart() const;
  // The chosen day's 24 hours, when any of its hours are kept.
  std::optional<ChartInput> HourChart() const;
  // "01 Dec, 2026 - 31 Dec, 2026: download 1.00 MB, upload 20 KB, total 1.02 MB"
  std::string CycleLine() const;
  // "09 Dec, 2026: download ..., upload ..., total ..." for the chosen day.
  std::string DayLine() const;

 private:
  std::chrono::sys_days Day(std::size_t index) const;
  std::optional<UsageStack> DayUsageOf(std::chrono::sys_days date) const;
  std::string DateText(std::chrono::sys_days date) const;
  std::string Figures(const UsageStack& usage) const;
  UsageStack Sum(std::chrono::sys_days from, std::chrono::sys_days to) const;
  void ChooseDefault();

  std::vector<CycleDays> cycles_;
  UsageRecords records_;
  std::uint64_t allowanceKB_;
  std::chrono::sys_days today_;
  const Locale& locale_;
  std::size_t cycle_ = 0;
  std::optional<std::size_t> chosen_;
  PlanSettings plan_;
};

}  // namespace pelliton
