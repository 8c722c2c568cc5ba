// Fuzzes the history layout: InsertFinishedCycle on any text, a whole RollOver through the
// fakes, the statistics window's text of any history, and the usage records read from any
// stored texts and counted on.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fakes/fake_interface_table.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_store.h"
#include "metering/history/all_data.h"
#include "metering/tick.h"
#include "metering/history/usage_history.h"
#include "metering/history/usage_text.h"
#include "ui/dialogs/monthly_stat.h"

namespace {

using namespace pelliton;

void Check(bool invariant) {
  if (!invariant) __builtin_trap();
}

std::u16string Text(FuzzedDataProvider& input, std::size_t maxLength) {
  std::u16string text(input.ConsumeIntegralInRange<std::size_t>(0, maxLength), u' ');
  for (auto& c : text)
    c = input.ConsumeIntegral<char16_t>();
  return text;
}

// 12 + 40k characters with no structure inside; the layout is all that counts.
std::u16string WellFormedHistory(FuzzedDataProvider& input, std::size_t records) {
  std::u16string text = Text(input, kHeadLength);
  text.resize(kHeadLength + records * kRecordLength, u'#');
  return text;
}

void CheckInsert(FuzzedDataProvider& input) {
  const bool wellFormed = input.ConsumeBool();
  const std::size_t records = input.ConsumeIntegralInRange<std::size_t>(0, 14);
  const std::u16string date = wellFormed ? u"15 Dec, 2026" : Text(input, 600);
  const std::u16string quantity = Text(input, wellFormed ? 11 : 40);
  const auto hours = input.ConsumeIntegral<std::uint16_t>();
  const auto minutes = input.ConsumeIntegral<std::uint16_t>();
  const std::u16string allData = wellFormed ? WellFormedHistory(input, records) : Text(input, 2000);

  const std::u16string result = InsertFinishedCycle(allData, date, quantity, hours, minutes);
  Check(result.size() <= kAllDataMaxLength);
  Check(result.substr(0, date.size()) == date.substr(0, kAllDataMaxLength));
  if (!wellFormed) return;

  const std::size_t kept = std::min(records + 1, kMaxRecords);
  Check(result.size() == kHeadLength + kept * kRecordLength);
  Check(result.compare(12, 12, allData, 0, 12) == 0);  // the old head starts the record
  Check(result.compare(24, 12, date) == 0);
  const std::size_t pad = 11 - quantity.size();
  Check(result.compare(36, pad, std::u16string(pad, u' ')) == 0);
  Check(result.compare(36 + pad, quantity.size(), quantity) == 0);
  const unsigned h = std::min<unsigned>(hours, 999), m = std::min<unsigned>(minutes, 99);
  const std::u16string time = u"" + std::u16string(1, char16_t(u'0' + h / 100)) +
                              char16_t(u'0' + h / 10 % 10) + char16_t(u'0' + h % 10) +
                              char16_t(u'0' + m / 10) + char16_t(u'0' + m % 10);
  Check(result.compare(47, 5, time) == 0);
  Check(result.compare(52, std::u16string::npos, allData, 12, result.size() - 52) == 0);

  // One 64-character line per record, each ended by the one carriage return.
  const std::u16string lines = BuildStatisticsText(result);
  Check(lines.size() == kept * 65);
  for (std::size_t end = 64; end < lines.size(); end += 65)
    Check(lines[end] == u'\r' && lines.compare(end - 5, 5, u" Mins") == 0);
}

// Every character after the head appears once, in order, with 25 characters of separators
// for each record begun.
void CheckStatistics(FuzzedDataProvider& input) {
  const std::u16string allData = Text(input, 3000);
  const std::u16string text = BuildStatisticsText(allData);
  const std::size_t body = allData.size() > kHeadLength ? allData.size() - kHeadLength : 0;
  const std::size_t records = (body + kRecordLength - 1) / kRecordLength;
  Check(text.size() == body + 25 * records);
  if (records > 0) Check(text.compare(0, std::min<std::size_t>(body, 12), allData, 12, 12) == 0);
}

void CheckRollOver(FuzzedDataProvider& input) {
  MeterState state;
  testing::FakeStore store;
  testing::FakeInterfaceTable table;
  testing::FakeClock clock;
  testing::FakeLocale locale;
  testing::FakeView view;
  MeterContext meter{state, store, table, clock, locale, view};
  if (input.ConsumeBool()) locale.separators = {'.', ','};
  if (input.ConsumeBool()) locale.months[input.ConsumeIntegralInRange(0, 11)] = Text(input, 5);
  state.TotalDataKB = input.ConsumeIntegral<std::uint32_t>();
  state.Hours = input.ConsumeIntegral<std::uint16_t>();
  state.Minutes = input.ConsumeIntegral<std::uint16_t>();
  state.Seconds = input.ConsumeIntegral<std::uint16_t>();
  LocalDateTime today;
  today.Year = input.ConsumeIntegral<std::uint16_t>();
  today.Month = input.ConsumeIntegralInRange<std::uint16_t>(0, 14);
  today.Day = input.ConsumeIntegralInRange<std::uint16_t>(0, 40);
  state.TodayMonth = today.Month;
  state.AllData = Text(input, 1000);

  const std::u16string before = state.AllData;
  RollOver(meter, today);
  std::vector<std::string> restart{"PlanData", "TotalData",  "Seconds",  "Minutes",
                                   "Hours",    "CycleStart", "LastMonth"};
  if (state.AllData == before && store.WrittenNames() == restart) {
    // The head already stands in this cycle: the cycle was recorded by a rollover cut short.
  } else {
    Check(state.AllData.size() <= kAllDataMaxLength);
    Check(store.Get("AllData") == locale.Narrow(state.AllData));
    const std::u16string date = FormatCycleDate(today, locale);
    Check(state.AllData.compare(0, date.size(), date) == 0);
    restart.insert(restart.begin(), "AllData");
    Check(store.WrittenNames() == restart);
  }
  Check(state.TotalDataKB == 0 && state.Seconds == 0 && state.Minutes == 0 && state.Hours == 0);
  Check(state.LastMonth == today.Month);
}

std::string Narrow(FuzzedDataProvider& input, std::size_t maxLength) {
  return input.ConsumeRandomLengthString(maxLength);
}

template <class Records, class Less>
void CheckInOrder(const Records& records, Less less) {
  for (std::size_t i = 1; i < records.size(); ++i)
    Check(less(records[i - 1], records[i]));
}

// Whatever the stored texts hold, the records read are in order, within their limits, and
// read back the same once stored; counting on keeps them so.
void CheckUsageRecords(FuzzedDataProvider& input) {
  testing::FakeStore store;
  store.Set("UsageDays", Narrow(input, 400));
  store.Set("UsageHours", Narrow(input, 200));
  store.Set("UsageOpen", Narrow(input, 100));
  store.Set("TotalData", Narrow(input, 12));
  UsageHistory history;
  history.Load(store);
  for (int i = input.ConsumeIntegralInRange(0, 4); i > 0; --i) {
    LocalDateTime now;
    now.Year = input.ConsumeIntegralInRange<std::uint16_t>(1600, 10000);
    now.Month = input.ConsumeIntegralInRange<std::uint16_t>(0, 13);
    now.Day = input.ConsumeIntegralInRange<std::uint16_t>(0, 32);
    now.Hour = input.ConsumeIntegralInRange<std::uint16_t>(0, 24);
    if (input.ConsumeBool()) {
      history.Correct(store, now, input.ConsumeIntegral<std::uint32_t>() - std::int64_t{4294967295},
                      input.ConsumeIntegral<std::uint32_t>());
    } else {
      history.Record(store, now, input.ConsumeIntegral<std::uint32_t>(),
                     input.ConsumeIntegral<std::uint32_t>(),
                     input.ConsumeIntegral<std::uint32_t>());
    }
  }
  const std::vector<DayUsage> days = history.Days();
  const std::vector<HourUsage> hours = history.Hours();
  Check(days.size() <= kKeptDays + 1 && hours.size() <= kKeptHours + 1);
  CheckInOrder(days, [](const DayUsage& a, const DayUsage& b) { return a.date < b.date; });
  CheckInOrder(hours, [](const HourUsage& a, const HourUsage& b) {
    return a.date < b.date || (a.date == b.date && a.hour < b.hour);
  });
  for (const DayUsage& day : days)
    Check(ParseDayToken(DayToken(day)) == day);
  for (const HourUsage& hour : hours)
    Check(ParseHourToken(HourToken(hour)) == hour);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
      CheckInsert(input);
      break;
    case 1:
      CheckRollOver(input);
      break;
    case 2:
      CheckUsageRecords(input);
      break;
    default:
      CheckStatistics(input);
  }
  return 0;
}
