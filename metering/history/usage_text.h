#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "metering/history/usage_history.h"

namespace pelliton {

// The stored forms of the usage records: decimal text, fields apart by commas, records by
// blanks.
//   day   "20261208,81234,4567" or, with a correction, "20261208,81234,4567,-2048", and with
//         traffic in the plan's off-peak window a fifth field, "20261208,81234,4567,0,1200"
//   hour  "2026120814,1234,567"
//   date  "20261208"
//   seal  "4294967,12,3" (the total, then what the last write added) or "4294967,0,0,-2048",
//         and "4294967,12,3,0,10" where it added off-peak traffic
// A text that is not exactly one of these, or holds an impossible date or an absurd figure,
// reads as nothing.

// The largest figure a record may hold: 2^48 KB, far beyond a day of any link.
inline constexpr std::uint64_t kLargestRecordKB = std::uint64_t{1} << 48;
// One correction moves the total by less than 2^32 KB; a day's corrections add up to at most
// the largest figure either way.
inline constexpr std::int64_t kLargestCorrectionKB = 4294967295;
inline constexpr auto kLargestDayCorrectionKB = static_cast<std::int64_t>(kLargestRecordKB);

std::string DateToken(UsageDate date);
std::string DayToken(const DayUsage& day);
std::string HourToken(const HourUsage& hour);
std::string SealToken(const UsageSeal& seal);

std::optional<UsageDate> ParseDateToken(std::string_view text);
std::optional<DayUsage> ParseDayToken(std::string_view text);
std::optional<HourUsage> ParseHourToken(std::string_view text);
std::optional<UsageSeal> ParseSealToken(std::string_view text);

// The pieces of `text` between blanks, empty ones left out.
std::vector<std::string_view> Tokens(std::string_view text);

// Whether the date exists (years 1601 to 9999).
bool ValidDate(UsageDate date);
// The day after `date`, across months and years.
UsageDate NextDay(UsageDate date);

}  // namespace pelliton
