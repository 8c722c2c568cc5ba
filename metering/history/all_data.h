#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "metering/base/clock.h"
#include "metering/base/locale.h"

namespace pelliton {

// AllData: the start date of the cycle in progress (12 characters), then up to twelve
// records of finished cycles, newest first, 40 characters each:
//   start date (12) | end date (12) | total, right-aligned (11) | hours "000" | minutes "00"
inline constexpr std::u16string_view kUnknownCycleStart = u"?? ???, ????";
inline constexpr std::size_t kHeadLength = 12;
inline constexpr std::size_t kRecordLength = 40;
inline constexpr std::size_t kMaxRecords = 12;
inline constexpr std::size_t kAllDataMaxLength = kHeadLength + kMaxRecords * kRecordLength;

// "dd mmm, yyyy" (15 Dec, 2026). The month is the locale's abbreviation when that is exactly
// three characters, otherwise the English one, so that every date is 12 characters wide.
std::u16string FormatCycleDate(const LocalDateTime& date, const Locale& locale);

// The start date at the head of AllData when it reads as "dd mmm, yyyy" with a month name
// FormatCycleDate writes (the locale's three-letter one or the English one); nothing for
// the placeholder "?? ???, ????" or any other text.
std::optional<LocalDateTime> CycleStartDate(std::u16string_view allData, const Locale& locale);

// The history after a rollover on `date`: the old head becomes the start of a new record
// ending on `date`, with `quantity` right-aligned in 11 characters (a longer one is not cut),
// hours "000" (at most 999) and minutes "00" (at most 99); `date` becomes the head; the text is cut
// to kAllDataMaxLength. Works on any text, however malformed.
std::u16string InsertFinishedCycle(std::u16string_view allData, std::u16string_view date,
                                   std::u16string_view quantity, std::uint16_t hours,
                                   std::uint16_t minutes);

}  // namespace pelliton
