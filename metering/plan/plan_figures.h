#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "metering/base/clock.h"
#include "metering/plan/plan.h"

namespace pelliton {

// What the plan counts beside the cycle's total, kept with it write-through in "PlanData":
//   "total,window,stamp,day,dayKB,dayWindow,added,addedWindow,addedDay,addedDayWindow"
// the "TotalData" written after it; the cycle's traffic in the off-peak window (KB); the local
// minute of the last record (yyyymmddhhmm, 0 none); the daily allowance's day (yyyymmdd of the
// day that began at the reset hour, 0 none) with its traffic and the part of that in the
// window; and what the last write added to each, so that a start after a kill between the two
// writes takes it back. What counts toward each allowance follows from these and the settings
// as they are now.
struct PlanFigures {
  std::uint32_t total = 0;
  std::uint64_t windowKB = 0;
  std::uint64_t stamp = 0;
  std::uint32_t day = 0;
  std::uint64_t dayKB = 0;
  std::uint64_t dayWindowKB = 0;
  std::uint64_t addedKB = 0;
  std::uint64_t addedWindowKB = 0;
  std::uint64_t addedDayKB = 0;
  std::uint64_t addedDayWindowKB = 0;
  friend bool operator==(const PlanFigures&, const PlanFigures&) = default;
};

std::string FormatPlanFigures(const PlanFigures& figures);
// Nothing for a text not of the form, with an impossible stamp or day or a figure over 2^48 KB.
std::optional<PlanFigures> ParsePlanFigures(std::string_view text);
// The figures the store holds beside the stored "TotalData" `storedTotal`: what the last write
// added is taken back when "TotalData" lacks it; a text that does not read gives none counted
// (every KB to the main allowance). Never more window traffic than the total.
PlanFigures SettledPlanFigures(std::string_view text, std::uint32_t storedTotal);

// Local minutes counted from 1 January 1601, and the minute of a stamp; nothing for a time
// that is not one.
std::optional<std::int64_t> LocalMinute(const LocalDateTime& time);
std::optional<std::int64_t> StampMinute(std::uint64_t stamp);
std::uint64_t StampOf(const LocalDateTime& time);
// Whether a minute of the day (0 to 1439) lies in the window; never without one.
bool InWindow(const PlanSettings& settings, int minuteOfDay);
// The window's minutes from 1 January 1601 up to `minute`: the difference of two gives the
// window's share of any span, across midnight and many days.
std::int64_t WindowMinutesUpTo(const PlanSettings& settings, std::int64_t minute);
// The first minute of the daily allowance's day that `minute` lies in, and that day as
// yyyymmdd.
std::int64_t DailyStart(const PlanSettings& settings, std::int64_t minute);
std::uint32_t DailyDay(const PlanSettings& settings, std::int64_t minute);

// One record's growth as the plan splits it.
struct PlanShare {
  std::uint64_t windowKB = 0;    // in the off-peak window
  std::uint64_t dayKB = 0;       // in the daily allowance's present day
  std::uint64_t dayWindowKB = 0; // in both
};
// Growth counted at `now` (local minutes): `tickKB` belongs to `now`'s minute; `stoppedKB`
// passed since `last`, the minute of the record before (a stop: the meter or the PC off), and
// is split by the share of that span each window covered, an estimate. A clock set back, or no
// `last`, gives it all to `now`'s minute.
PlanShare SplitGrowth(const PlanSettings& settings, std::optional<std::int64_t> last,
                      std::int64_t now, std::uint64_t tickKB, std::uint64_t stoppedKB);

// What counts toward each allowance, in KB. The main allowance has the total less the window's
// traffic that goes elsewhere; the off-peak one its window's traffic (up to its allowance with
// spill-over); the daily one the day's traffic, less the window's when the window is free.
std::uint64_t OutsideMainKB(const PlanSettings& settings, const PlanFigures& figures);
std::uint64_t MainUsedKB(const PlanSettings& settings, const PlanFigures& figures);
std::uint64_t OffPeakUsedKB(const PlanSettings& settings, const PlanFigures& figures);
std::uint64_t DailyUsedKB(const PlanSettings& settings, const PlanFigures& figures,
                          std::uint32_t today);
// An allowance in MB as KB, at most what the total can hold.
std::uint64_t AllowanceKB(std::uint32_t capMB);

}  // namespace pelliton
