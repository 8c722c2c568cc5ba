#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "metering/base/clock.h"
#include "metering/base/locale.h"
#include "store/settings_store.h"

namespace pelliton {

struct MeterState;

// Where the data went: the cycle's traffic by local day and by local hour, download and
// upload apart. "TotalData" stays the one figure the meter, the allowance and the rollover
// use; the history only says how it was made up.
//
// Growth goes to the hour and day that the local clock shows when it is counted. A clock set
// back to an hour or day before the open one (or the repeated hour when daylight saving
// ends) counts on into the open one, so that records never go out of order and none is
// written twice; a clock set forward closes the open ones and leaves the skipped hours and
// days without a record. Records more than a day ahead of the clock (it ran ahead: a mistyped
// year, a hardware clock kept in UTC) are closed as they stand and counting goes on at the
// present hour, records kept in date order; the present reopens one it reaches. Hours and days
// without traffic have no record.

struct UsageDate {
  std::uint16_t year = 0;
  std::uint8_t month = 0;  // 1..12
  std::uint8_t day = 0;    // 1..31
  auto operator<=>(const UsageDate&) const = default;
};

// The local date of a clock reading.
UsageDate DateOf(const LocalDateTime& time);
// "2026-12-08".
std::string IsoDate(UsageDate date);

struct DayUsage {
  UsageDate date;
  std::uint64_t downKB = 0;
  std::uint64_t upKB = 0;
  // What a correction of the cycle's total to the provider's figure added (or, below zero,
  // took away) on this day.
  std::int64_t correctionKB = 0;
  // The part of the day's traffic that passed in the plan's off-peak window.
  std::uint64_t offPeakKB = 0;
  // Download, upload and correction together; never below zero.
  std::uint64_t TotalKB() const;
  bool operator==(const DayUsage&) const = default;
};

struct HourUsage {
  UsageDate date;
  std::uint8_t hour = 0;  // 0..23, local
  std::uint64_t downKB = 0;
  std::uint64_t upKB = 0;
  std::uint64_t TotalKB() const { return downKB + upKB; }
  bool operator==(const HourUsage&) const = default;
};

// What the open records were last stored with: the "TotalData" written after them, and what
// that write added to them, so that a load after a kill between the two can take it back.
struct UsageSeal {
  std::uint32_t total = 0;
  std::uint64_t downKB = 0;
  std::uint64_t upKB = 0;
  std::int64_t correctionKB = 0;
  std::uint64_t offPeakKB = 0;
  bool operator==(const UsageSeal&) const = default;
};

// The closed records kept: the oldest is dropped when one more closes.
inline constexpr std::size_t kKeptDays = 400;
inline constexpr std::size_t kKeptHours = 168;

// The history: the closed days and hours, and the open day and hour that counting goes on
// in. One lives in MeterState (`History`); it is loaded from the store on first use.
class UsageHistory {
 public:
  // Whether the records in memory are the stored ones (Load ran, and no write failed since).
  bool Loaded() const { return loaded_; }

  // Reads "UsageDays", "UsageHours" and "UsageOpen". A record that does not read (bad text,
  // absurd numbers, out of order, a value of another type) is dropped alone; never fails.
  // Open figures that "TotalData" does not hold yet (a kill between the two writes) are
  // taken back.
  void Load(SettingsStore& store);

  // Adds growth counted at `now` to its hour and day, closing the open ones that `now` has
  // left (each written once, as it closes) and then storing the open ones with
  // `totalAfter`, the "TotalData" that is written next. `offPeakKB` of the growth passed in
  // the plan's off-peak window. Store failures propagate, and the history reloads on its next
  // use.
  void Record(SettingsStore& store, const LocalDateTime& now, std::uint64_t downKB,
              std::uint64_t upKB, std::uint32_t totalAfter, std::uint64_t offPeakKB = 0);

  // Adds a correction to the day of `now` (closing what `now` has left, as Record does) and
  // stores the open records with `totalAfter`, the corrected "TotalData" written next.
  void Correct(SettingsStore& store, const LocalDateTime& now, std::int64_t correctionKB,
               std::uint32_t totalAfter);

  // Before "TotalData" is set by something other than counting (the cycle restarted):
  // stores the open records with the new figure, so that the load after a kill takes
  // nothing back. Writes nothing when nothing is open.
  void Reseal(SettingsStore& store, std::uint32_t totalAfter);

  // The day records, oldest first, the open day last.
  std::vector<DayUsage> Days() const;
  // The hour records, oldest first, the open hour last.
  std::vector<HourUsage> Hours() const;
  // The hour records of one day, in order.
  std::vector<HourUsage> HoursOf(UsageDate date) const;
  // Whether every hour of `date` that had traffic is still kept.
  bool HoursKept(UsageDate date) const;
  // The first day from which the day records are complete (a day without a record had no
  // traffic); nothing before any record.
  std::optional<UsageDate> CompleteSince() const;

  // The stored texts, for tests and the benchmark.
  std::string DaysText() const;
  std::string HoursText() const;
  std::string OpenText() const;

 private:
  struct HourStamp {
    UsageDate date;
    std::uint8_t hour = 0;
    auto operator<=>(const HourStamp&) const = default;
  };
  static HourStamp StampOf(const HourUsage& hour) { return {hour.date, hour.hour}; }

  void LoadClosed(std::string_view daysText, std::string_view hoursText);
  void LoadOpen(std::string_view text, std::optional<std::uint32_t> storedTotal);
  void ReloadOpen(SettingsStore& store);
  void TakeBack(const UsageSeal& last);
  void Advance(SettingsStore& store, const LocalDateTime& now);
  void CloseHour(SettingsStore& store);
  void CloseDay(SettingsStore& store);
  void StoreOpen(SettingsStore& store);

  bool loaded_ = false;
  std::deque<DayUsage> days_;
  std::deque<HourUsage> hours_;
  std::optional<UsageDate> since_;
  std::optional<DayUsage> openDay_;
  std::optional<HourUsage> openHour_;
  UsageSeal seal_;
};

// The tick's one call, between the stored readings and "TotalData": the growth that the
// accounting step has just added to MeterState's total, at the clock's present time.
void RecordUsage(MeterState& state, SettingsStore& store, const Clock& clock,
                 std::uint64_t downKB, std::uint64_t upKB, std::uint64_t offPeakKB = 0);

// The history of `state`, loaded from the store on first use.
const UsageHistory& ReadUsageHistory(MeterState& state, SettingsStore& store);

// Before a restart of the cycle writes "TotalData" 0 (metering/tick.h): never fails.
void ResealUsage(UsageHistory& history, SettingsStore& store, std::uint32_t total) noexcept;

// The export, UTF-8 with CRLF line ends, a header line, dates YYYY-MM-DD and quantities in
// whole KB of 1024 bytes. Every day record, its total below zero where a correction took away
// more than the day's traffic, so that the rows add up to the cycle's total, and last the part
// of the day's traffic in the plan's off-peak window:
//   Date,Download (KB of 1024 bytes),Upload (KB of 1024 bytes),Correction (KB of 1024 bytes),Total (KB of 1024 bytes),Off-peak (KB of 1024 bytes)
std::string DaysCsv(const UsageHistory& history);
// Every hour record: Date,Hour,Download (KB of 1024 bytes),Upload (KB of 1024 bytes),Total (KB of 1024 bytes)
std::string HoursCsv(const UsageHistory& history);
// The finished cycles of AllData, newest first: their start and end dates (empty for an
// unknown start), the total as the record holds it (to its two decimals), the connected
// time "h:mm", and download and upload from the day records over the span its total covers
// (from its start, or from the day it restarted, up to the day before its end) where the day
// records add up to that total, else empty:
//   Start,End,Total (KB of 1024 bytes),Connected time,Download (KB of 1024 bytes),Upload (KB of 1024 bytes)
std::string CyclesCsv(const UsageHistory& history, std::u16string_view allData,
                      const Locale& locale);

}  // namespace pelliton
