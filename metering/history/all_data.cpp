#include "metering/history/all_data.h"

#include <algorithm>
#include <array>

namespace pelliton {

namespace {

constexpr std::array<std::u16string_view, 12> kEnglishMonths{
    u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun", u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};

constexpr std::size_t kMonthNameLength = 3;
constexpr std::size_t kQuantityWidth = 11;
// Where the record's fields go in the text after the head: end date, total, time.
constexpr std::size_t kEndDateAt = kHeadLength;
constexpr std::size_t kQuantityAt = 24;
constexpr std::size_t kTimeAt = 35;
// The widest connected time a record holds. A cycle can run longer than 999 hours (a new
// connection chosen early in a month, with a late cycle day); more digits would shift every
// older record, so the record says 999 then.
constexpr unsigned kMaxRecordHours = 999;
constexpr unsigned kMaxRecordMinutes = 99;

// Decimal digits with leading zeros up to `width`; never cut.
std::u16string Digits(unsigned value, std::size_t width) {
  std::u16string text;
  do {
    text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value != 0);
  if (text.size() < width) text.insert(0, width - text.size(), u'0');
  return text;
}

std::u16string MonthName(std::uint16_t month, const Locale& locale) {
  if (month < 1 || month > 12) return u"???";
  std::u16string name = locale.ShortMonthName(month);
  if (name.size() != kMonthNameLength) name = kEnglishMonths[month - 1u];
  return name;
}

// The number of the decimal digits in `text`; nothing when any is not a digit.
std::optional<std::uint16_t> Number(std::u16string_view text) {
  unsigned value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  return static_cast<std::uint16_t>(value);
}

std::optional<std::uint16_t> MonthNumber(std::u16string_view name, const Locale& locale) {
  for (std::uint16_t month = 1; month <= 12; ++month) {
    if (name == MonthName(month, locale)) return month;
  }
  for (std::uint16_t month = 1; month <= 12; ++month) {
    if (name == kEnglishMonths[month - 1u]) return month;
  }
  return std::nullopt;
}

// Inserts `piece` before the zero-based `position`; a position past the end appends.
void Insert(std::u16string& text, std::size_t position, std::u16string_view piece) {
  text.insert(std::min(position, text.size()), piece);
}

}  // namespace

std::u16string FormatCycleDate(const LocalDateTime& date, const Locale& locale) {
  return Digits(date.Day, 2) + u" " + MonthName(date.Month, locale) + u", " + Digits(date.Year, 4);
}

std::optional<LocalDateTime> CycleStartDate(std::u16string_view allData, const Locale& locale) {
  if (allData.size() < kHeadLength || allData.substr(2, 1) != u" " ||
      allData.substr(6, 2) != u", ") {
    return std::nullopt;
  }
  const auto day = Number(allData.substr(0, 2));
  const auto month = MonthNumber(allData.substr(3, kMonthNameLength), locale);
  const auto year = Number(allData.substr(8, 4));
  if (!day || !month || !year) return std::nullopt;
  return LocalDateTime{.Year = *year, .Month = *month, .Day = *day};
}

std::u16string InsertFinishedCycle(std::u16string_view allData, std::u16string_view date,
                                   std::u16string_view quantity, std::uint16_t hours,
                                   std::uint16_t minutes) {
  // Nothing past the kept length can reach the result: every insertion lies before it.
  std::u16string text(allData.substr(0, kAllDataMaxLength));
  Insert(text, kEndDateAt, date);
  std::u16string total(kQuantityWidth - std::min(quantity.size(), kQuantityWidth), u' ');
  total += quantity;
  Insert(text, kQuantityAt, total);
  Insert(text, kTimeAt,
         Digits(std::min<unsigned>(hours, kMaxRecordHours), 3) +
             Digits(std::min<unsigned>(minutes, kMaxRecordMinutes), 2));
  text.insert(0, date);
  if (text.size() > kAllDataMaxLength) text.resize(kAllDataMaxLength);
  return text;
}

}  // namespace pelliton
