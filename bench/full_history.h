#pragma once

#include <string>

#include "metering/history/usage_history.h"
#include "metering/history/usage_text.h"

namespace pelliton {

// A whole history of closed records in the stored forms, all before `today`.
struct FullHistory {
  explicit FullHistory(const LocalDateTime& today) {
    UsageDate date{static_cast<std::uint16_t>(today.Year - 2), 1, 1};
    days = DateToken(date);
    for (std::size_t i = 0; i < kKeptDays; ++i, date = NextDay(date))
      days += ' ' + DayToken({date, 123456789, 12345678, 0});
    for (std::size_t i = 0; i < kKeptHours; ++i) {
      if (i % 24 == 0 && i != 0) date = NextDay(date);
      const HourUsage hour{date, static_cast<std::uint8_t>(i % 24), 1234567, 123456};
      hours += (i == 0 ? "" : " ") + HourToken(hour);
    }
  }
  std::string days, hours;
};

}  // namespace pelliton
