// The export of the usage history as CSV.
#include <algorithm>

#include "metering/history/all_data.h"
#include "metering/meter_state.h"
#include "metering/history/usage_history.h"

namespace pelliton {

namespace {

constexpr std::string_view kEnd = "\r\n";
constexpr std::string_view kKB = " (KB of 1024 bytes)";

std::string Header(std::initializer_list<std::string_view> names, std::size_t quantitiesFrom) {
  std::string text;
  std::size_t i = 0;
  for (std::string_view name : names) {
    if (i != 0) text += ',';
    text += name;
    if (i++ >= quantitiesFrom) text += kKB;
  }
  return text += kEnd;
}

void Row(std::string& text, std::initializer_list<std::string> fields) {
  std::size_t i = 0;
  for (const std::string& field : fields)
    (i++ == 0 ? text : text += ',') += field;
  text += kEnd;
}

std::string Digits(std::u16string_view text) {
  std::string digits;
  for (char16_t c : text) {
    if (c >= u'0' && c <= u'9') digits += static_cast<char>(c);
  }
  return digits;
}

std::uint64_t Number(std::string_view digits) {
  std::uint64_t value = 0;
  for (char c : digits.substr(0, 15))
    value = value * 10 + static_cast<unsigned>(c - '0');
  return value;
}

// A record's total as FormatDataQuantity wrote it ("1,234 KB", "1.50 MB", "12.34 GB", with
// whatever separators the locale had), in KB, and how far the cycle's own total may lie from it:
// the two decimals of MB and GB are what the record keeps. Nothing for any other text.
struct RecordedTotal {
  std::uint64_t kb = 0, within = 0;
};

std::optional<RecordedTotal> RecordedKB(std::u16string_view text) {
  const auto first = text.find_first_not_of(u' ');
  if (first == std::u16string_view::npos || text.size() < first + 4) return std::nullopt;
  text.remove_prefix(first);
  const std::u16string_view unit = text.substr(text.size() - 3);
  const std::string digits = Digits(text.substr(0, text.size() - 3));
  if (digits.empty()) return std::nullopt;
  if (unit == u" KB") return RecordedTotal{Number(digits), 0};
  const std::uint64_t scale = unit == u" MB" ? 1024 : unit == u" GB" ? 1048576 : 0;
  if (scale == 0 || digits.size() < 3) return std::nullopt;
  return RecordedTotal{(Number(digits) * scale + 50) / 100, (scale + 199) / 200 + 1};
}

std::string Iso(const std::optional<LocalDateTime>& date) {
  if (!date) return {};
  return IsoDate({date->Year, static_cast<std::uint8_t>(date->Month),
                  static_cast<std::uint8_t>(date->Day)});
}

struct Traffic {
  std::uint64_t downKB = 0, upKB = 0;
};

// What a day added to the cycle's total: below zero where a correction took away more than
// the day's traffic.
std::int64_t NetKB(const DayUsage& day) {
  return static_cast<std::int64_t>(day.downKB + day.upKB) + day.correctionKB;
}

// Download and upload of a finished cycle over the span its total covers: from its start, or
// from a later day where it restarted (Change Network, a new cycle date), up to the day before
// its end, found as the span whose days add up to the total. Nothing when no span does (a
// restart within a day) or the day records are not complete over it.
std::optional<Traffic> CycleTraffic(const UsageHistory& history,
                                    const std::optional<LocalDateTime>& start,
                                    const std::optional<LocalDateTime>& end,
                                    const std::optional<RecordedTotal>& total) {
  const std::optional<UsageDate> since = history.CompleteSince();
  if (!start || !end || !since || !total) return std::nullopt;
  const UsageDate from = DateOf(*start);
  const UsageDate to = DateOf(*end);
  if (to < from) return std::nullopt;
  std::vector<DayUsage> days = history.Days();
  std::erase_if(days, [&](const DayUsage& day) { return day.date < from || day.date >= to; });
  std::int64_t net = 0;
  for (const DayUsage& day : days)
    net += NetKB(day);
  // From each day with traffic on: the span may begin on it at the latest.
  for (std::size_t first = 0; first <= days.size(); ++first) {
    if (first != 0) net -= NetKB(days[first - 1]);
    const UsageDate latestStart = first == 0 ? from : first < days.size() ? days[first].date : to;
    const std::int64_t off = net - static_cast<std::int64_t>(total->kb);
    if (latestStart < *since || static_cast<std::uint64_t>(off < 0 ? -off : off) > total->within)
      continue;
    Traffic traffic;
    for (std::size_t i = first; i < days.size(); ++i) {
      traffic.downKB += days[i].downKB;
      traffic.upKB += days[i].upKB;
    }
    return traffic;
  }
  return std::nullopt;
}

}  // namespace

std::string DaysCsv(const UsageHistory& history) {
  std::string text = Header({"Date", "Download", "Upload", "Correction", "Total", "Off-peak"}, 1);
  for (const DayUsage& day : history.Days()) {
    // The rows add up to the cycle's total.
    Row(text, {IsoDate(day.date), std::to_string(day.downKB), std::to_string(day.upKB),
               std::to_string(day.correctionKB), std::to_string(NetKB(day)),
               std::to_string(day.offPeakKB)});
  }
  return text;
}

std::string HoursCsv(const UsageHistory& history) {
  std::string text = Header({"Date", "Hour", "Download", "Upload", "Total"}, 2);
  for (const HourUsage& hour : history.Hours()) {
    Row(text, {IsoDate(hour.date), std::to_string(hour.hour), std::to_string(hour.downKB),
               std::to_string(hour.upKB), std::to_string(hour.TotalKB())});
  }
  return text;
}

std::string CyclesCsv(const UsageHistory& history, std::u16string_view allData,
                      const Locale& locale) {
  std::string text =
      "Start,End,Total" + std::string(kKB) + ",Connected time,Download" + std::string(kKB) +
      ",Upload" + std::string(kKB) + std::string(kEnd);
  for (std::size_t at = kHeadLength; at + kRecordLength <= allData.size(); at += kRecordLength) {
    const std::u16string_view record = allData.substr(at, kRecordLength);
    const std::optional<LocalDateTime> start = CycleStartDate(record.substr(0, 12), locale);
    const std::optional<LocalDateTime> end = CycleStartDate(record.substr(12, 12), locale);
    const std::optional<RecordedTotal> total = RecordedKB(record.substr(24, 11));
    const std::string hours = std::to_string(Number(Digits(record.substr(35, 3))));
    const std::string minutes = Digits(record.substr(38, 2));
    const std::optional<Traffic> traffic = CycleTraffic(history, start, end, total);
    Row(text, {Iso(start), Iso(end), total ? std::to_string(total->kb) : std::string(),
               minutes.size() == 2 ? hours + ':' + minutes : std::string(),
               traffic ? std::to_string(traffic->downKB) : std::string(),
               traffic ? std::to_string(traffic->upKB) : std::string()});
  }
  return text;
}

}  // namespace pelliton
