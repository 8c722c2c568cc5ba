#include "ui/dialogs/usage_window.h"

#include <algorithm>
#include <limits>

#include "metering/history/all_data.h"
#include "metering/base/data_quantity.h"

namespace pelliton {

namespace {

namespace chr = std::chrono;

constexpr int kHoursPerDay = 24;
constexpr int kMinutesPerDay = 24 * 60;
// Cycles are at least a day and at most a year long, whatever the dates read.
constexpr int kLongestCycleDays = 366;

std::optional<chr::sys_days> DateAt(std::u16string_view allData, std::size_t at,
                                    const Locale& locale) {
  if (allData.size() < at + kHeadLength) return std::nullopt;
  const std::optional<LocalDateTime> date = CycleStartDate(allData.substr(at), locale);
  if (!date) return std::nullopt;
  return chr::sys_days{chr::year{date->Year} / chr::month{date->Month} / chr::day{date->Day}};
}

// The date of the rollover that ended a record: its end date, or the head's without records.
std::optional<chr::sys_days> RolloverBefore(std::u16string_view allData, std::size_t record,
                                            const Locale& locale) {
  const std::size_t at = kHeadLength + record * kRecordLength;
  if (record >= kMaxRecords) return std::nullopt;
  if (allData.size() >= at + kRecordLength) return DateAt(allData, at + kHeadLength, locale);
  return record == 0 ? DateAt(allData, 0, locale) : std::nullopt;
}

// The same day of the month before, or that month's last day.
chr::sys_days MonthBefore(chr::sys_days day) {
  const chr::year_month_day ymd{day};
  const chr::year_month month = ymd.year() / ymd.month() - chr::months{1};
  const chr::day last = (month / chr::last).day();
  return month / std::min(ymd.day(), last);
}

chr::sys_days SysDay(UsageDate date) {
  return chr::year{date.year} / chr::month{date.month} / chr::day{date.day};
}

void Add(UsageStack& sum, std::uint64_t downKB, std::uint64_t upKB, std::int64_t correctionKB,
         std::uint64_t offPeakKB = 0) {
  const std::uint64_t most = ~std::uint64_t{0};
  sum.offPeakKB = offPeakKB > most - sum.offPeakKB ? most : sum.offPeakKB + offPeakKB;
  sum.downKB = downKB > most - sum.downKB ? most : sum.downKB + downKB;
  sum.upKB = upKB > most - sum.upKB ? most : sum.upKB + upKB;
  const std::int64_t low = std::numeric_limits<std::int64_t>::min() / 2;
  const std::int64_t high = std::numeric_limits<std::int64_t>::max() / 2;
  sum.correctionKB = std::clamp(sum.correctionKB, low, high) + std::clamp(correctionKB, low, high);
}

std::string Quantity(std::uint64_t kb, Separators separators) {
  const std::uint64_t most = 0xFFFFFFFFu;
  return FormatDataQuantity(static_cast<std::uint32_t>(std::min(kb, most)), separators);
}

}  // namespace

std::vector<bool> OffPeakHours(const PlanSettings& plan) {
  std::vector<bool> hours(kHoursPerDay, false);
  const int start = plan.windowStart % kMinutesPerDay;
  const int end = plan.windowEnd % kMinutesPerDay;
  for (int minute = 0; minute < kMinutesPerDay; ++minute) {
    const bool inside = start < end ? minute >= start && minute < end : minute >= start || minute < end;
    if (inside) hours[static_cast<std::size_t>(minute / 60)] = true;
  }
  return hours;
}

std::vector<CycleDays> ViewableCycles(CycleDays current, std::u16string_view allData,
                                      const Locale& locale,
                                      std::optional<chr::sys_days> earliestDay) {
  std::vector<CycleDays> cycles{current};
  const auto sensible = [](chr::sys_days start, chr::sys_days end) {
    return start < end && (end - start).count() <= kLongestCycleDays;
  };
  for (std::size_t record = 0; earliestDay && cycles.back().start > *earliestDay; ++record) {
    chr::sys_days end = cycles.back().start;
    const std::size_t at = kHeadLength + record * kRecordLength;
    // A restart (Change Network, a new cycle date) leaves the days from the rollover before
    // it as a cycle of their own.
    const std::optional<chr::sys_days> ended = RolloverBefore(allData, record, locale);
    if (ended && sensible(*ended, end)) {
      cycles.push_back({*ended, end});
      end = *ended;
      if (end <= *earliestDay) break;
    }
    std::optional<chr::sys_days> start =
        record < kMaxRecords ? DateAt(allData, at, locale) : std::nullopt;
    if (!start || !sensible(*start, end)) start = MonthBefore(end);
    cycles.push_back({*start, end});
  }
  return cycles;
}

UsageWindowModel::UsageWindowModel(std::vector<CycleDays> cycles, UsageRecords records,
                                   std::uint64_t allowanceKB, chr::sys_days today,
                                   const Locale& locale)
    : cycles_(std::move(cycles)),
      records_(std::move(records)),
      allowanceKB_(allowanceKB),
      today_(today),
      locale_(locale) {
  for (CycleDays& cycle : cycles_) {
    const auto length = (cycle.end - cycle.start).count();
    if (length < 1 || length > kLongestCycleDays) cycle.end = cycle.start + chr::days{1};
  }
  if (cycles_.empty()) cycles_.push_back({today, today + chr::days{1}});
  ChooseDefault();
}

void UsageWindowModel::Step(int earlier) {
  const auto next = static_cast<std::ptrdiff_t>(cycle_) + earlier;
  if (next < 0 || next >= static_cast<std::ptrdiff_t>(cycles_.size())) return;
  cycle_ = static_cast<std::size_t>(next);
  ChooseDefault();
}

std::size_t UsageWindowModel::DayCount() const {
  const CycleDays& cycle = cycles_[cycle_];
  return static_cast<std::size_t>((cycle.end - cycle.start).count());
}

void UsageWindowModel::Choose(std::size_t day) {
  if (day < DayCount()) chosen_ = day;
}

void UsageWindowModel::MoveChoice(int by) {
  const auto last = static_cast<std::ptrdiff_t>(DayCount()) - 1;
  const std::ptrdiff_t from =
      chosen_ ? static_cast<std::ptrdiff_t>(*chosen_) : (by > 0 ? -1 : last + 1);
  chosen_ = static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(from + by, 0, last));
}

void UsageWindowModel::ChooseDefault() {
  chosen_.reset();
  const CycleDays& cycle = cycles_[cycle_];
  if (today_ >= cycle.start && today_ < cycle.end) {
    chosen_ = static_cast<std::size_t>((today_ - cycle.start).count());
    return;
  }
  for (std::size_t day = DayCount(); day-- > 0;) {
    if (DayUsageOf(Day(day))) {
      chosen_ = day;
      return;
    }
  }
}

chr::sys_days UsageWindowModel::Day(std::size_t index) const {
  return cycles_[cycle_].start + chr::days{static_cast<int>(index)};
}

std::optional<UsageStack> UsageWindowModel::DayUsageOf(chr::sys_days date) const {
  std::optional<UsageStack> sum;
  for (const DayUsage& day : records_.days) {
    if (SysDay(day.date) != date) continue;
    if (!sum) sum.emplace();
    Add(*sum, day.downKB, day.upKB, day.correctionKB, day.offPeakKB);
  }
  return sum;
}

ChartInput UsageWindowModel::DayChart() const {
  ChartInput input;
  const std::size_t count = DayCount();
  for (std::size_t i = 0; i < count; ++i) {
    input.slots.push_back(DayUsageOf(Day(i)));
    input.slotLabels.push_back(std::to_string(unsigned{chr::year_month_day{Day(i)}.day()}));
  }
  if (allowanceKB_ > 0) input.pacePerSlotKB = std::max<std::uint64_t>(allowanceKB_ / count, 1);
  return input;
}

std::optional<ChartInput> UsageWindowModel::HourChart() const {
  if (!chosen_) return std::nullopt;
  const chr::sys_days date = Day(*chosen_);
  ChartInput input;
  input.slots.resize(kHoursPerDay);
  bool any = false;
  for (const HourUsage& hour : records_.hours) {
    if (SysDay(hour.date) != date || hour.hour >= kHoursPerDay) continue;
    std::optional<UsageStack>& slot = input.slots[hour.hour];
    if (!slot) slot.emplace();
    Add(*slot, hour.downKB, hour.upKB, 0);
    any = true;
  }
  if (!any) return std::nullopt;
  for (int hour = 0; hour < kHoursPerDay; ++hour)
    input.slotLabels.push_back(std::to_string(hour));
  if (plan_.hasWindow) input.offPeakSlots = OffPeakHours(plan_);
  return input;
}

std::string UsageWindowModel::CycleLine() const {
  const CycleDays& cycle = cycles_[cycle_];
  return DateText(cycle.start) + " - " + DateText(cycle.end - chr::days{1}) + ": " +
         Figures(Sum(cycle.start, cycle.end));
}

UsageStack UsageWindowModel::Sum(chr::sys_days from, chr::sys_days to) const {
  UsageStack sum;
  for (const DayUsage& day : records_.days) {
    if (SysDay(day.date) >= from && SysDay(day.date) < to)
      Add(sum, day.downKB, day.upKB, day.correctionKB, day.offPeakKB);
  }
  return sum;
}

std::string UsageWindowModel::DayLine() const {
  if (!chosen_) return "No day chosen: click a bar or press Left or Right.";
  const std::optional<UsageStack> usage = DayUsageOf(Day(*chosen_));
  return DateText(Day(*chosen_)) + ": " + (usage ? Figures(*usage) : "no data");
}

std::string UsageWindowModel::DateText(chr::sys_days date) const {
  const chr::year_month_day ymd{date};
  const LocalDateTime local{static_cast<std::uint16_t>(int{ymd.year()}),
                            static_cast<std::uint16_t>(unsigned{ymd.month()}),
                            static_cast<std::uint16_t>(unsigned{ymd.day()})};
  return locale_.Narrow(FormatCycleDate(local, locale_));
}

std::string UsageWindowModel::Figures(const UsageStack& usage) const {
  const Separators separators = locale_.NumberSeparators();
  std::string text = "download " + Quantity(usage.downKB, separators) + ", upload " +
                     Quantity(usage.upKB, separators);
  if (usage.correctionKB != 0) {
    const std::int64_t kb = usage.correctionKB;
    const std::uint64_t size =
        kb < 0 ? 0 - static_cast<std::uint64_t>(kb) : static_cast<std::uint64_t>(kb);
    text += std::string(", corrected by ") + (kb < 0 ? "-" : "+") + Quantity(size, separators);
  }
  return text + ", total " + Quantity(usage.TotalKB(), separators);
}

}  // namespace pelliton
