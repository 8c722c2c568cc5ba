#include "metering/history/usage_text.h"

#include <utility>


namespace pelliton {

namespace {

constexpr std::size_t kLongestNumber = 15;

int DaysInMonth(int year, int month) {
  if (month == 2) {
    const bool leap = year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
    return leap ? 29 : 28;
  }
  return month == 4 || month == 6 || month == 9 || month == 11 ? 30 : 31;
}

std::optional<std::uint64_t> Digits(std::string_view text) {
  if (text.empty() || text.size() > kLongestNumber) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value;
}

std::optional<std::uint64_t> Figure(std::string_view text) {
  const auto value = Digits(text);
  if (!value || *value > kLargestRecordKB) return std::nullopt;
  return value;
}

// A correction field; 0 only where an off-peak field follows it.
std::optional<std::int64_t> Correction(std::string_view text, std::int64_t largest,
                                       bool zeroToo = false) {
  const bool negative = !text.empty() && text.front() == '-';
  const auto value = Digits(negative ? text.substr(1) : text);
  if (!value || (*value == 0 && (!zeroToo || negative)) ||
      *value > static_cast<std::uint64_t>(largest))
    return std::nullopt;
  const auto magnitude = static_cast<std::int64_t>(*value);
  return negative ? -magnitude : magnitude;
}

std::vector<std::string_view> Fields(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t comma; (comma = text.find(',', start)) != std::string_view::npos;
       start = comma + 1) {
    fields.push_back(text.substr(start, comma - start));
  }
  fields.push_back(text.substr(start));
  return fields;
}

std::string Padded(unsigned value, std::size_t width) {
  std::string text = std::to_string(value);
  if (text.size() < width) text.insert(0, width - text.size(), '0');
  return text;
}

// A date, or a date and hour, from eight or ten digits.
std::optional<UsageDate> Stamp(std::string_view text, std::optional<std::uint8_t>* hour) {
  const std::size_t length = hour ? 10 : 8;
  if (text.size() != length) return std::nullopt;
  const auto digits = Digits(text);
  if (!digits) return std::nullopt;
  std::uint64_t rest = *digits;
  if (hour) {
    if (rest % 100 > 23) return std::nullopt;
    *hour = static_cast<std::uint8_t>(rest % 100);
    rest /= 100;
  }
  const UsageDate date{static_cast<std::uint16_t>(rest / 10000),
                       static_cast<std::uint8_t>(rest / 100 % 100),
                       static_cast<std::uint8_t>(rest % 100)};
  if (!ValidDate(date)) return std::nullopt;
  return date;
}

}  // namespace

bool ValidDate(UsageDate date) {
  return date.year >= 1601 && date.year <= 9999 && date.month >= 1 && date.month <= 12 &&
         date.day >= 1 && date.day <= DaysInMonth(date.year, date.month);
}

UsageDate NextDay(UsageDate date) {
  if (date.day < DaysInMonth(date.year, date.month)) {
    ++date.day;
  } else if (date.month < 12) {
    date.day = 1;
    ++date.month;
  } else {
    date = {static_cast<std::uint16_t>(date.year + 1), 1, 1};
  }
  return date;
}

std::string DateToken(UsageDate date) {
  return Padded(date.year, 4) + Padded(date.month, 2) + Padded(date.day, 2);
}

std::string DayToken(const DayUsage& day) {
  std::string text = DateToken(day.date);
  text.append(1, ',').append(std::to_string(day.downKB));
  text.append(1, ',').append(std::to_string(day.upKB));
  if (day.correctionKB != 0 || day.offPeakKB != 0)
    text.append(1, ',').append(std::to_string(day.correctionKB));
  if (day.offPeakKB != 0) text.append(1, ',').append(std::to_string(day.offPeakKB));
  return text;
}

std::string HourToken(const HourUsage& hour) {
  std::string text = DateToken(hour.date) + Padded(hour.hour, 2);
  text.append(1, ',').append(std::to_string(hour.downKB));
  text.append(1, ',').append(std::to_string(hour.upKB));
  return text;
}

std::string SealToken(const UsageSeal& seal) {
  std::string text = std::to_string(seal.total);
  text.append(1, ',').append(std::to_string(seal.downKB));
  text.append(1, ',').append(std::to_string(seal.upKB));
  if (seal.correctionKB != 0 || seal.offPeakKB != 0)
    text.append(1, ',').append(std::to_string(seal.correctionKB));
  if (seal.offPeakKB != 0) text.append(1, ',').append(std::to_string(seal.offPeakKB));
  return text;
}

std::optional<UsageSeal> ParseSealToken(std::string_view text) {
  const std::vector<std::string_view> fields = Fields(text);
  if (fields.size() < 3 || fields.size() > 5) return std::nullopt;
  const auto total = Digits(fields[0]);
  const auto down = Figure(fields[1]);
  const auto up = Figure(fields[2]);
  const auto correction = fields.size() >= 4
                              ? Correction(fields[3], kLargestCorrectionKB, fields.size() == 5)
                              : std::int64_t{0};
  const auto offPeak = fields.size() == 5 ? Figure(fields[4]) : std::uint64_t{0};
  if (!total || !std::in_range<std::uint32_t>(*total) || !down || !up || !correction ||
      !offPeak || (fields.size() == 5 && *offPeak == 0)) {
    return std::nullopt;
  }
  return UsageSeal{static_cast<std::uint32_t>(*total), *down, *up, *correction, *offPeak};
}

std::optional<UsageDate> ParseDateToken(std::string_view text) {
  return Stamp(text, nullptr);
}

std::optional<DayUsage> ParseDayToken(std::string_view text) {
  const std::vector<std::string_view> fields = Fields(text);
  if (fields.size() < 3 || fields.size() > 5) return std::nullopt;
  const auto date = Stamp(fields[0], nullptr);
  const auto down = Figure(fields[1]);
  const auto up = Figure(fields[2]);
  const auto correction = fields.size() >= 4
                              ? Correction(fields[3], kLargestDayCorrectionKB, fields.size() == 5)
                              : std::int64_t{0};
  const auto offPeak = fields.size() == 5 ? Figure(fields[4]) : std::uint64_t{0};
  if (!date || !down || !up || !correction || !offPeak || (fields.size() == 5 && *offPeak == 0))
    return std::nullopt;
  return DayUsage{*date, *down, *up, *correction, *offPeak};
}

std::optional<HourUsage> ParseHourToken(std::string_view text) {
  const std::vector<std::string_view> fields = Fields(text);
  if (fields.size() != 3) return std::nullopt;
  std::optional<std::uint8_t> hour;
  const auto date = Stamp(fields[0], &hour);
  const auto down = Figure(fields[1]);
  const auto up = Figure(fields[2]);
  if (!date || !down || !up) return std::nullopt;
  return HourUsage{*date, *hour, *down, *up};
}

std::vector<std::string_view> Tokens(std::string_view text) {
  std::vector<std::string_view> tokens;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(' ', start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) tokens.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return tokens;
}

}  // namespace pelliton
