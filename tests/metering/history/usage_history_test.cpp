#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "fakes/fake_store.h"
#include "metering/plan/allowance.h"
#include "metering/meter_state.h"
#include "metering/history/usage_history.h"
#include "metering/history/usage_text.h"

namespace pelliton {
namespace {

struct Count {
  LocalDateTime at;
  std::uint64_t down, up;
};

// Counts in order, each tick storing the total after it as the accounting step does.
struct HistoryRig {
  void Run(const std::vector<Count>& counts) {
    for (const Count& count : counts) {
      total += static_cast<std::uint32_t>(count.down + count.up);
      history.Record(store, count.at, count.down, count.up, total);
      store.Set("TotalData", std::to_string(total));
    }
  }
  // What a new start reads back.
  UsageHistory Reloaded() {
    UsageHistory reloaded;
    reloaded.Load(store);
    return reloaded;
  }
  testing::FakeStore store;
  UsageHistory history;
  std::uint32_t total = 0;
};

LocalDateTime At(std::uint16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour,
                 std::uint16_t minute = 0) {
  return {year, month, day, hour, minute};
}

TEST(UsageHistory, GrowthGoesToTheHourAndDayTheClockShowsNeverBack) {
  struct {
    const char* what;
    std::vector<Count> counts;
    std::string days, hours, open;
  } const cases[] = {
      {"midnight",
       {{At(2026, 12, 8, 23, 59), 10, 1}, {At(2026, 12, 9, 0, 0), 20, 2}},
       "20261208 20261208,10,1", "2026120823,10,1", "2026120900,20,2 20261209,20,2 33,20,2"},
      {"an hour boundary",
       {{At(2026, 12, 8, 14, 59), 5, 5}, {At(2026, 12, 8, 15), 7, 7}, {At(2026, 12, 8, 15, 1), 1, 0}},
       "", "2026120814,5,5", "2026120815,8,7 20261208,13,12 25,1,0"},
      {"a clock set back an hour counts on in the open hour",
       {{At(2026, 12, 8, 14, 50), 1, 1}, {At(2026, 12, 8, 15, 10), 2, 2}, {At(2026, 12, 8, 14, 20), 3, 3}},
       "", "2026120814,1,1", "2026120815,5,5 20261208,6,6 12,3,3"},
      {"set back across midnight, the open day goes on",
       {{At(2026, 12, 9, 0, 10), 1, 1}, {At(2026, 12, 8, 23, 20), 3, 3}, {At(2026, 12, 9, 1), 1, 0}},
       "", "2026120900,4,4", "2026120901,1,0 20261209,5,4 9,1,0"},
      {"forward a day: nothing in between",
       {{At(2026, 12, 8, 12), 1, 1}, {At(2026, 12, 9, 12), 3, 3}},
       "20261208 20261208,1,1", "2026120812,1,1", "2026120912,3,3 20261209,3,3 8,3,3"},
      {"daylight saving ends: the repeated hour is one record",
       {{At(2026, 10, 25, 2, 30), 1, 1}, {At(2026, 10, 25, 2, 59), 1, 1}, {At(2026, 10, 25, 2, 5), 1, 1},
        {At(2026, 10, 25, 3), 1, 1}},
       "", "2026102502,3,3", "2026102503,1,1 20261025,4,4 8,1,1"},
      {"daylight saving begins: the skipped hour has no record",
       {{At(2026, 3, 29, 1, 59), 1, 1}, {At(2026, 3, 29, 3), 2, 2}},
       "", "2026032901,1,1", "2026032903,2,2 20260329,3,3 6,2,2"},
      {"year end",
       {{At(2026, 12, 31, 23, 30), 1, 2}, {At(2027, 1, 1, 0, 10), 3, 4}},
       "20261231 20261231,1,2", "2026123123,1,2", "2027010100,3,4 20270101,3,4 10,3,4"},
      {"a tick a week ahead is left as it stands; the present reopens what it reaches",
       {{At(2026, 12, 9, 9), 1, 0}, {At(2026, 12, 16, 10), 2, 0}, {At(2026, 12, 9, 10), 3, 0},
        {At(2026, 12, 10, 11), 4, 0}, {At(2026, 12, 16, 10, 30), 5, 0}},
       "20261209 20261209,4,0 20261210,4,0 20261216,2,0",
       "2026120909,1,0 2026120910,3,0 2026121011,4,0 2026121610,2,0",
       "2026121610,7,0 20261216,7,0 15,5,0"},
      {"a mistyped year, then the right one",
       {{At(2062, 12, 9, 10), 1, 1}, {At(2026, 12, 9, 10, 5), 2, 2}},
       "20261209 20621209,1,1", "2062120910,1,1", "2026120910,2,2 20261209,2,2 6,2,2"},
      {"ticks without growth write nothing and keep no record",
       {{At(2026, 12, 8, 10), 0, 0}, {At(2026, 12, 8, 11), 2, 0}, {At(2026, 12, 8, 12), 0, 0},
        {At(2026, 12, 9, 12), 0, 0}},
       "20261208 20261208,2,0", "2026120811,2,0", "2026120811,2,0 20261208,2,0 2,2,0"},
  };
  for (const auto& c : cases) {
    HistoryRig rig;
    rig.Run(c.counts);
    EXPECT_EQ(rig.store.Get("UsageDays"), c.days) << c.what;
    EXPECT_EQ(rig.store.Get("UsageHours"), c.hours) << c.what;
    EXPECT_EQ(rig.store.Get("UsageOpen"), c.open) << c.what;
    const UsageHistory reloaded = rig.Reloaded();
    EXPECT_EQ(reloaded.Days(), rig.history.Days()) << c.what;
    EXPECT_EQ(reloaded.Hours(), rig.history.Hours()) << c.what;
    const auto writes = rig.store.WrittenNames();
    EXPECT_LE(std::count(writes.begin(), writes.end(), "UsageOpen"), std::ssize(c.counts)) << c.what;
  }
}

TEST(UsageHistory, KeepsFourHundredDaysAndASevenDayWeekOfHours) {
  HistoryRig rig;
  LocalDateTime at = At(2026, 1, 1, 0);
  for (int i = 0; i < 402 * 24; ++i) {
    rig.Run({{at, 1, 0}});
    const UsageDate next = at.Hour == 23 ? NextDay(DateOf(at)) : DateOf(at);
    at = {next.year, next.month, next.day, static_cast<std::uint16_t>((at.Hour + 1) % 24)};
  }
  const UsageHistory reloaded = rig.Reloaded();
  // 401 closed days: the first is gone; the open one comes last.
  const std::vector<DayUsage> days = reloaded.Days();
  ASSERT_EQ(days.size(), kKeptDays + 1);
  EXPECT_EQ(days.front(), (DayUsage{{2026, 1, 2}, 24, 0, 0}));
  EXPECT_EQ(reloaded.CompleteSince(), (UsageDate{2026, 1, 2}));
  EXPECT_EQ(reloaded.Hours().size(), kKeptHours + 1);
  EXPECT_FALSE(reloaded.HoursKept(reloaded.Hours().front().date));
  EXPECT_TRUE(reloaded.HoursKept(days.back().date));
  EXPECT_EQ(reloaded.HoursOf(days.back().date).size(), 24u);
}

TEST(UsageHistory, ARecordThatDoesNotReadIsDroppedAlone) {
  testing::FakeStore store;
  store.Set("UsageDays",
            "20261201 20261201,5,5 garbage 20261203,x,1 20261202,1,1,-1 20261204,1,1,0 "
            "20261205,999999999999999,1 20260230,1,1 20261130,1,1 20261206,2,2");
  store.wrongType.insert("UsageHours");
  store.Set("UsageOpen", "2026120700,1 20261207,3,3 nonsense");
  UsageHistory history;
  history.Load(store);
  EXPECT_EQ(history.DaysText(), "20261201 20261201,5,5 20261202,1,1,-1 20261206,2,2");
  EXPECT_EQ(history.HoursText(), "");
  EXPECT_EQ(history.Days().back(), (DayUsage{{2026, 12, 7}, 3, 3, 0}));
  EXPECT_EQ(history.Days()[1].TotalKB(), 1u);
  for (const char* bad : {"", "1", "2026120812,1", "2026120824,1,1", "2026120812,-1,1",
                          "2026120812,1,1,1", "2026120812,1,1 "}) {
    EXPECT_FALSE(ParseHourToken(bad)) << bad;
  }
}

TEST(UsageHistory, WhatTotalDataLacksIsTakenBackAtTheNextStart) {
  struct {
    const char* total;
    std::uint64_t hourDown, dayDown;
  } const cases[] = {
      {"115", 10, 30},  // the tick's "TotalData" was written
      {"110", 7, 27},   // killed before: its growth taken back
      {"0", 10, 30},    // written since by a restart of the cycle
      {"x", 10, 30},    // unreadable
  };
  for (const auto& c : cases) {
    testing::FakeStore store;
    store.Set("UsageOpen", "2026120812,10,5 20261208,30,9 115,3,2");
    store.Set("TotalData", c.total);
    UsageHistory history;
    history.Load(store);
    EXPECT_EQ(history.Hours().back().downKB, c.hourDown) << c.total;
    EXPECT_EQ(history.Days().back().downKB, c.dayDown) << c.total;
  }
  // An open hour that a close has stored already is not counted again.
  testing::FakeStore store;
  store.Set("UsageHours", "2026120812,10,5");
  store.Set("UsageOpen", "2026120812,10,5 20261208,30,9 115,3,2");
  UsageHistory history;
  history.Load(store);
  EXPECT_EQ(history.Hours().size(), 1u);
}

TEST(UsageHistory, AFailedWriteSendsTheHistoryBackToTheStore) {
  HistoryRig rig;
  rig.Run({{At(2026, 12, 8, 12), 4, 4}});
  rig.store.failingWrites.insert("TotalData");
  rig.history.Record(rig.store, At(2026, 12, 8, 12, 1), 5, 5, rig.total + 10);  // "TotalData" fails
  rig.store.failingWrites.clear();
  rig.store.readNames.clear();
  rig.Run({{At(2026, 12, 8, 12, 2), 1, 1}});
  EXPECT_EQ(rig.store.Get("UsageOpen"), "2026120812,5,5 20261208,5,5 10,1,1");
  // Only the open records are read back: the closed ones in memory are the stored ones.
  EXPECT_EQ(rig.store.readNames, (std::vector<std::string>{"UsageOpen", "TotalData"}));
}

TEST(CorrectCycleTotal, TheDifferenceGoesToTodayAndTheWarningsFollow) {
  testing::FakeStore store;
  MeterState state;
  state.TotalDataKB = 1000;
  state.DataCap = Allowance{1, 80, kLevelWarned | kWholeWarned};  // 1 MB, both given
  CorrectCycleTotal(state, store, At(2026, 12, 8, 9), 1500);
  EXPECT_EQ(store.Get("TotalData"), "1500");
  EXPECT_EQ(store.Get("UsageOpen"), "2026120809,0,0 20261208,0,0,500 1500,0,0,500");
  EXPECT_EQ(state.DataCap->warned, kLevelWarned | kWholeWarned);
  CorrectCycleTotal(state, store, At(2026, 12, 8, 9), 900);  // below the whole allowance
  EXPECT_EQ(state.DataCap->warned, kLevelWarned);
  CorrectCycleTotal(state, store, At(2026, 12, 8, 10), 100);  // below the level too
  EXPECT_EQ(store.Get("CapWarned"), "0");
  EXPECT_EQ(state.History.Days().back().correctionKB, -900);
  EXPECT_EQ(state.History.Days().back().TotalKB(), 0u);
  // At the top of a 4096 GB allowance the whole one stays given.
  state.DataCap = Allowance{kLargestAllowanceMB, 80, kLevelWarned | kWholeWarned};
  state.TotalDataKB = 4294967295;
  CorrectCycleTotal(state, store, At(2026, 12, 8, 11), 4294967295);
  EXPECT_EQ(state.DataCap->warned, kLevelWarned | kWholeWarned);
}

// Corrections of one day past 4,294,967,295 KB still read back.
TEST(CorrectCycleTotal, ADaysCorrectionsAddUpWithinWhatIsRead) {
  testing::FakeStore store;
  MeterState state;
  const LocalDateTime now = At(2026, 12, 9, 9);
  state.History.Record(store, now, 5242880, 0, state.TotalDataKB = 5242880);
  store.Set("TotalData", "5242880");
  CorrectCycleTotal(state, store, now, 4294967295);
  ResealUsage(state.History, store, state.TotalDataKB = 0);  // a new cycle date
  store.Set("TotalData", "0");
  CorrectCycleTotal(state, store, now, 10485760);
  EXPECT_EQ(store.Get("UsageOpen"), "2026120909,5242880,0 20261209,5242880,0,4300210175 "
                                    "10485760,0,0,10485760");
  UsageHistory reloaded;
  reloaded.Load(store);
  EXPECT_EQ(reloaded.Days(), state.History.Days());
}

TEST(UsageExport, CsvTextsInKBWithIsoDatesAndCrlf) {
  HistoryRig rig;
  rig.Run({{At(2026, 11, 15, 8), 1024, 100}, {At(2026, 11, 20, 9), 10, 1}, {At(2026, 12, 15, 1), 7, 7}});
  EXPECT_EQ(DaysCsv(rig.history),
            "Date,Download (KB of 1024 bytes),Upload (KB of 1024 bytes),Correction (KB of 1024 "
            "bytes),Total (KB of 1024 bytes),Off-peak (KB of 1024 bytes)\r\n"
            "2026-11-15,1024,100,0,1124,0\r\n2026-11-20,10,1,0,11,0\r\n2026-12-15,7,7,0,14,0\r\n");
  EXPECT_EQ(HoursCsv(rig.history).substr(HoursCsv(rig.history).find("\r\n") + 2),
            "2026-11-15,8,1024,100,1124\r\n2026-11-20,9,10,1,11\r\n2026-12-15,1,7,7,14\r\n");
  const std::u16string allData =
      u"15 Dec, 2026" u"15 Nov, 202615 Dec, 2026    1.11 MB01234" u"?? ???, ????15 Nov, 2026"
      u"     512 KB00001";
  testing::FakeLocale locale;
  EXPECT_EQ(CyclesCsv(rig.history, allData, locale),
            "Start,End,Total (KB of 1024 bytes),Connected time,Download (KB of 1024 "
            "bytes),Upload (KB of 1024 bytes)\r\n2026-11-15,2026-12-15,1137,12:34,1034,101\r\n"
            ",2026-11-15,512,0:01,,\r\n");
  // 2 GB a day, then "Used so far" 3 GB: the rows add up to the cycle's total.
  MeterState state;
  testing::FakeStore store;
  for (std::uint16_t day = 1; day <= 3; ++day) {
    state.TotalDataKB += 2097152;
    state.History.Record(store, At(2026, 12, day, 9), 2097152, 0, state.TotalDataKB);
  }
  CorrectCycleTotal(state, store, At(2026, 12, 3, 10), 3145728);
  EXPECT_TRUE(DaysCsv(state.History).ends_with("2026-12-03,2097152,0,-3145728,-1048576,0\r\n"));
}

// 1 GB a day; the cycle of 15 Nov restarted on 8 Dec (Change Network), or within a day.
TEST(UsageExport, ACyclesTrafficCoversTheSpanOfItsTotal) {
  HistoryRig rig;
  for (UsageDate day{2026, 11, 15}; day < UsageDate{2026, 12, 15}; day = NextDay(day))
    rig.Run({{At(day.year, day.month, day.day, 12), 1048576, 0}});
  testing::FakeLocale locale;
  const std::u16string head = u"15 Dec, 2026" u"15 Nov, 202615 Dec, 2026";
  EXPECT_TRUE(CyclesCsv(rig.history, head + u"    7.00 GB00000", locale)
                  .ends_with("2026-11-15,2026-12-15,7340032,0:00,7340032,0\r\n"));
  EXPECT_TRUE(CyclesCsv(rig.history, head + u"    7.50 GB00000", locale)
                  .ends_with("2026-11-15,2026-12-15,7864320,0:00,,\r\n"));
}

}  // namespace
}  // namespace pelliton
