#include <string>
#include <vector>

#include "meter_fixture.h"
#include "metering/history/all_data.h"
#include "metering/tick.h"

namespace pelliton {
namespace {

using testing::kKB;
using Names = std::vector<std::string>;

TEST(RolloverDue, MonthStepsWaitForTheCycleDayJumpsDoNot) {
  struct {
    std::uint16_t lastMonth, cycleDay, month, day;
    bool due;
    std::u16string head = u"?? ???, ????";
    std::uint16_t year = 2026;
  } const cases[] = {
      // clang-format off
      {11, 15, 12, 14, false}, {11, 15, 12, 15, true},  // one month: waits for the day
      {12, 15, 1, 10, false},  {12, 15, 1, 15, true},   // one month across the year
      {10, 28, 12, 3, true},                            // two months
      {11, 28, 1, 3, true},                             // two months across the year
      {5, 28, 4, 3, true},                              // the clock went back a month
      {1, 28, 12, 3, true},                             // eleven months ahead
      {6, 1, 6, 20, false},                             // same month, any year
      {0, 1, 1, 1, true},      {0, 15, 1, 3, false},   {0, 28, 2, 1, true},  // nothing stored
      // A billing day the month lacks falls on its last day.
      {1, 30, 2, 27, false},   {1, 30, 2, 28, true},   {1, 30, 2, 28, false, u"", 2028},
      {3, 31, 4, 30, true},    {3, 31, 4, 29, false},  {4, 31, 5, 30, false},
      // Never before the start of the cycle in progress: a clock set back.
      {5, 15, 4, 20, false, u"15 May, 2026"},  {5, 15, 4, 20, true, u"15 May, 2025"},
      {12, 1, 1, 5, false, u"01 Dec, 2026"},   {12, 1, 1, 5, true, u"01 Dec, 2026", 2027},
      {11, 15, 12, 15, false, u"16 Dec, 2026x"}, {11, 15, 12, 15, true, u"15 Dec, 2026"},
      {11, 15, 12, 15, false, u"15 Mrz, 2027"},  {11, 15, 12, 15, true, u"15 Nox, 2027"},
      // clang-format on
  };
  testing::FakeLocale locale;
  locale.months[2] = u"Mrz";
  for (const auto& c : cases) {
    MeterState state;
    state.LastMonth = c.lastMonth;
    state.CycleDay = c.cycleDay;
    state.TodayMonth = c.month;
    state.TodayDay = c.day;
    state.AllData = c.head;
    EXPECT_EQ(RolloverDue(state, c.month - c.lastMonth, {c.year, c.month, c.day}, locale), c.due)
        << c.lastMonth << " -> " << c.year << "/" << c.month << "/" << c.day << ", cycle day "
        << c.cycleDay << ", head " << locale.Narrow(c.head);
  }
}

TEST(FormatCycleDate, UsesThreeLetterLocaleNamesElseEnglish) {
  testing::FakeLocale locale;
  locale.months[2] = u"mär";
  locale.months[8] = u"Sept";
  locale.months[4] = u"Mi";
  EXPECT_EQ(FormatCycleDate({2026, 12, 5}, locale), u"05 Dec, 2026");
  EXPECT_EQ(FormatCycleDate({2027, 3, 31}, locale), u"31 mär, 2027");
  EXPECT_EQ(FormatCycleDate({2026, 9, 1}, locale), u"01 Sep, 2026");
  EXPECT_EQ(FormatCycleDate({2026, 5, 1}, locale), u"01 May, 2026");
  EXPECT_EQ(FormatCycleDate({999, 5, 1}, locale).size(), 12u);
}

std::u16string Record(std::u16string_view start, std::u16string_view end, std::u16string_view total,
                      std::u16string_view time) {
  return std::u16string(start) + std::u16string(end) + std::u16string(total) + std::u16string(time);
}

TEST(InsertFinishedCycle, LaysOutTheWorkedExample) {
  EXPECT_EQ(InsertFinishedCycle(u"15 Nov, 2026", u"15 Dec, 2026", u"1.50 MB", 12, 34),
            u"15 Dec, 2026" + Record(u"15 Nov, 2026", u"15 Dec, 2026", u"    1.50 MB", u"01234"));
  EXPECT_EQ(InsertFinishedCycle(u"?? ???, ????", u"01 Jan, 2027", u"4,096.00 GB", 1000, 5),
            u"01 Jan, 2027" + Record(u"?? ???, ????", u"01 Jan, 2027", u"4,096.00 GB", u"99905"));
}

// A record stays 40 characters wide: a longer cycle is written as 999 hours, and an odd
// stored minute count as 99, so that the older records keep their places.
TEST(InsertFinishedCycle, CapsTheTimeAtThreeAndTwoDigits) {
  struct Case {
    std::uint16_t hours, minutes;
    std::u16string time;
  };
  const std::u16string older = Record(u"01 Oct, 2026", u"15 Nov, 2026", u"       0 KB", u"00000");
  for (const Case& c : {Case{999, 59, u"99959"}, Case{1000, 0, u"99900"}, Case{1390, 12, u"99912"},
                        Case{65535, 65535, u"99999"}, Case{7, 100, u"00799"}}) {
    const std::u16string result = InsertFinishedCycle(u"15 Nov, 2026" + older, u"15 Jan, 2027",
                                                      u"1.50 MB", c.hours, c.minutes);
    EXPECT_EQ(result, u"15 Jan, 2027" +
                          Record(u"15 Nov, 2026", u"15 Jan, 2027", u"    1.50 MB", c.time) + older)
        << c.hours;
  }
}

TEST(InsertFinishedCycle, KeepsTheTwelveNewestRecords) {
  std::u16string allData = u"?? ???, ????";
  std::vector<std::u16string> dates;
  for (int i = 1; i <= 13; ++i) {
    std::u16string date = u"0" + std::u16string(1, char16_t(u'0' + i % 10)) + u" Jan, 2027";
    dates.push_back(date);
    allData = InsertFinishedCycle(allData, date, u"0 KB", 0, std::uint16_t(i));
    EXPECT_EQ(allData.size(),
              kHeadLength + std::min<std::size_t>(static_cast<std::size_t>(i), 12) * kRecordLength);
    EXPECT_EQ(allData.substr(0, 12), date);
    EXPECT_EQ(allData.substr(12 + 12, 12), date);  // newest record's end date
  }
  EXPECT_EQ(allData.size(), kAllDataMaxLength);
  // The oldest record (from the placeholder to the first date) has gone; the oldest kept
  // runs from the first date to the second.
  const std::u16string oldest = allData.substr(kHeadLength + 11 * kRecordLength);
  EXPECT_EQ(oldest, Record(dates[0], dates[1], u"       0 KB", u"00002"));
}

TEST(InsertFinishedCycle, AcceptsAnyTextAndKeepsAtMost492Characters) {
  const std::u16string date = u"15 Dec, 2026";
  for (std::size_t length : std::initializer_list<std::size_t>{0, 1, 11, 12, 13, 24, 25, 36, 37,
                                                               100, 491, 492, 493, 20000}) {
    const std::u16string allData(length, u'x');
    const std::u16string result = InsertFinishedCycle(allData, date, u"1.50 MB", 1, 2);
    EXPECT_EQ(result.size(), std::min<std::size_t>(length + 40, kAllDataMaxLength)) << length;
    EXPECT_EQ(result.substr(0, 12), date);
  }
  EXPECT_EQ(InsertFinishedCycle(u"", date, u"1.50 MB", 1, 2),
            date + date + u"    1.50 MB" + u"00102");
  EXPECT_EQ(InsertFinishedCycle(u"", date, u"123456789012 KB", 1, 2),
            date + date + u"123456789012 KB" + u"00102");  // a longer total is not cut
}

// Bound and connected, with the rollover due on the tick of 15 Dec, 2026.
struct RolloverRig : testing::MeterRig {
  RolloverRig() {
    AddRows(1, 0, 1000, 1000);
    Bind(0, 1000 - 10, 1000 - 2);
    state.AllData = u"15 Nov, 2026";
    state.LastMonth = 11;
    state.CycleDay = 15;
    state.TotalDataKB = 1524;
    state.Seconds = 58;
    state.Hours = 12;
    state.Minutes = 34;
    clock.SetDate(2026, 12, 15);
  }
};

class Tick : public ::testing::Test, public RolloverRig {};

TEST_F(Tick, AQuietTickAddsTwoSecondsAndReenablesTheTimer) {
  clock.SetDate(2026, 12, 14);
  Timer1Timer(meter);
  EXPECT_EQ(state.TodayMonth, 12);
  EXPECT_EQ(state.TodayDay, 14);
  EXPECT_EQ(state.TotalDataKB, 1536u);
  EXPECT_EQ(state.Seconds, 60);  // carried on the next connected tick
  EXPECT_EQ(store.Get("Seconds"), "58");
  EXPECT_EQ(state.AllData, u"15 Nov, 2026");
  EXPECT_EQ(view.timerSwitches, (std::vector<bool>{false, true}));
}

TEST_F(Tick, TheRolloverTickMovesTheCycleIntoTheHistory) {
  Timer1Timer(meter);
  EXPECT_EQ(state.AllData,
            u"15 Dec, 2026" + Record(u"15 Nov, 2026", u"15 Dec, 2026", u"    1.50 MB", u"01234"));
  EXPECT_EQ(store.WrittenNames(),
            (Names{"LastDown", "LastUp", "LastUptime", "UsageOpen", "PlanData", "TotalData",
                   "Seconds", "Minutes", "Hours", "AllData", "UsageOpen", "PlanData", "TotalData",
                   "Seconds", "Minutes", "Hours", "CycleStart", "LastMonth"}));
  EXPECT_EQ(store.Get("AllData"), "15 Dec, 202615 Nov, 202615 Dec, 2026    1.50 MB01234");
  EXPECT_EQ(store.Get("LastMonth"), "12");
  EXPECT_EQ(store.Get("TotalData"), "0");
  EXPECT_EQ(store.Get("Seconds"), "0");
  EXPECT_EQ(store.Get("Minutes"), "0");
  EXPECT_EQ(store.Get("Hours"), "0");
  EXPECT_EQ(state.LastMonth, 12);
  EXPECT_EQ(state.Seconds, 2);
  EXPECT_EQ(state.Minutes + state.Hours + state.TotalDataKB, 0u);
  EXPECT_EQ(state.DownDeltaKB + state.UpDeltaKB, 0u);
  // Counting goes on from the same base; the labels still show the finished cycle.
  EXPECT_TRUE(state.AdapterBound);
  EXPECT_EQ(state.PrevDownKB, 1000u);
  EXPECT_EQ(view.label1, "1.50 MB");
  EXPECT_EQ(view.timerSwitches, (std::vector<bool>{false, true}));
}

// A rollover cut short after its record, by a write that fails or by a kill (which leaves
// "TotalData" as it was, or restarted), is recorded once.
TEST_F(Tick, ARolloverCutShortIsFinishedWithoutASecondRecord) {
  for (std::string cut : {"LastMonth", "1536", "0"}) {
    RolloverRig tick;
    tick.store.failingWrites = {cut};
    if (cut == "LastMonth") {
      EXPECT_THROW(Timer1Timer(tick.meter), RegistryError);
    } else {
      Timer1Timer(tick.meter);
      tick.store.Set("LastMonth", "11");
      tick.store.Set("TotalData", cut);
      tick.state = testing::MeterRig().state;  // a start
    }
    tick.store.failingWrites.clear();
    tick.clock.SetDate(2026, 12, 16);
    Timer1Timer(tick.meter);
    EXPECT_EQ(tick.store.Get("AllData"), "15 Dec, 202615 Nov, 202615 Dec, 2026    1.50 MB01234");
    EXPECT_EQ(tick.store.Get("LastMonth") + tick.store.Get("TotalData"), "120") << cut;
  }
}

TEST_F(Tick, ATickThatIsNotConnectedNeitherRollsOverNorAddsTime) {
  struct {
    const char* name;
    void (*apply)(RolloverRig&);
  } const cases[] = {
      {"frozen", [](RolloverRig& t) { t.state.FreezeOn = true; }},
      {"no rows", [](RolloverRig& t) { t.table.rows.clear(); }},
      {"not operational", [](RolloverRig& t) { t.Chosen().dwOperStatus = 0; }},
      {"failed step", [](RolloverRig& t) { t.store.failingWrites = {"Hours"}; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RolloverRig tick;
    c.apply(tick);
    Timer1Timer(tick.meter);
    EXPECT_EQ(tick.state.Seconds, 58);
    EXPECT_EQ(tick.state.LastMonth, 11);
    EXPECT_EQ(tick.state.AllData, u"15 Nov, 2026");
    EXPECT_FALSE(tick.store.Has("AllData"));
    EXPECT_TRUE(tick.view.timerEnabled);
  }
}

TEST_F(Tick, TheFirstConnectedTickOnAFreshStoreRollsOver) {
  state = MeterState{};
  state.AdapterRow = kUnlocatedRow;
  state.NetworkType = "Realtek PCIe GbE";
  clock.SetDate(2026, 7, 3);
  Timer1Timer(meter);
  EXPECT_TRUE(state.AdapterBound);
  EXPECT_EQ(state.AllData,
            u"03 Jul, 2026" + Record(u"?? ???, ????", u"03 Jul, 2026", u"       0 KB", u"00000"));
  EXPECT_EQ(state.LastMonth, 7);
  EXPECT_EQ(state.Seconds, 2);
}

TEST_F(Tick, TheMonthDifferenceIsTakenBeforeTheReload) {
  // In memory the last rollover was in September; the store, reloaded on locating, says
  // December. The jump of three months decides, though the reloaded month is today's.
  state.AdapterBound = false;
  state.LastMonth = 9;
  state.CycleDay = 28;
  store.Set("LastMonth", "12");
  store.Set("BillCycleDate", "28");
  store.Set("AllData", "01 Nov, 2026");
  clock.SetDate(2026, 12, 3);
  Timer1Timer(meter);
  EXPECT_EQ(state.AllData.substr(0, 24), u"03 Dec, 202601 Nov, 2026");
}

TEST_F(Tick, ReadsTheClockOnceForTheWholeTick) {
  class SteppingClock : public testing::FakeClock {
   public:
    LocalDateTime Now() const override {
      ++calls;
      return calls == 1 ? LocalDateTime{2026, 12, 31} : LocalDateTime{2027, 1, 1};
    }
    mutable int calls = 0;
  } steppingClock;
  MeterContext context{state, store, table, steppingClock, locale, view};
  Timer1Timer(context);
  EXPECT_EQ(steppingClock.calls, 1);
  EXPECT_EQ(state.AllData.substr(0, 24), u"31 Dec, 202615 Nov, 2026");
  EXPECT_EQ(state.AllData.substr(24, 12), u"31 Dec, 2026");
}

// Whatever connected time is stored, the locating tick and the ticks after it count.
TEST(TickTime, AnyStoredTimeKeepsCounting) {
  const struct {
    const char *seconds, *minutes, *hours, *shown;
  } cases[] = {
      {"65534", "0", "0", "18:13"},
      {"65535", "65535", "65535", "65535:59"},
      {"50", "59", "65535", "65535:59"},
      {"0", "0", "0", "00:01"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.hours) + ":" + c.minutes + ":" + c.seconds);
    testing::MeterRig rig;
    rig.AddRows(1, 0, 1000, 1000);
    rig.state.LastMonth = 12;  // no rollover in the way
    rig.store.Set("LastMonth", "12");
    rig.store.Set("Seconds", c.seconds);
    rig.store.Set("Minutes", c.minutes);
    rig.store.Set("Hours", c.hours);
    for (int tick = 0; tick < 40; ++tick) {
      rig.table.rows[0].dwInOctets += 10 * kKB;
      ASSERT_NO_THROW(Timer1Timer(rig.meter)) << "tick " << tick;
    }
    EXPECT_TRUE(rig.view.timerEnabled);
    EXPECT_EQ(rig.store.Get("TotalData"), "390");
    EXPECT_EQ(rig.view.label3, c.shown);
  }
}

// A failing write in the rollover: the error leaves the tick, the timer comes back on, and
// nothing of the rollover is kept, so the next tick that can store it rolls over once.
TEST_F(Tick, AnErrorThatLeavesTheTickTurnsTheTimerBackOn) {
  store.failingWrites = {"AllData"};
  EXPECT_THROW(Timer1Timer(meter), RegistryError);
  EXPECT_EQ(view.timerSwitches, (std::vector<bool>{false, true}));
  EXPECT_EQ(state.LastMonth, 11);
  EXPECT_EQ(state.AllData, u"15 Nov, 2026");
  store.failingWrites.clear();
  Timer1Timer(meter);
  Timer1Timer(meter);
  EXPECT_EQ(state.AllData.size(), kHeadLength + kRecordLength);
  EXPECT_EQ(state.LastMonth, 12);
  EXPECT_EQ(view.timerSwitches, (std::vector<bool>{false, true, false, true, false, true}));
}

TEST_F(Tick, AnErrorOfTheFrozenPathLeavesTheTick) {
  class BrokenView : public testing::FakeView {
   public:
    void SetLabel1(std::string_view) override { throw std::runtime_error("gone"); }
  } brokenView;
  MeterContext context{state, store, table, clock, locale, brokenView};
  state.FreezeOn = true;
  EXPECT_THROW(Timer1Timer(context), std::runtime_error);
  EXPECT_TRUE(brokenView.timerEnabled);
  state.FreezeOn = false;
  EXPECT_NO_THROW(Timer1Timer(context));  // the same error is absorbed past the frozen path
  EXPECT_TRUE(brokenView.timerEnabled);
}

}  // namespace
}  // namespace pelliton
