#include <gtest/gtest.h>

#include "metering/plan/plan_figures.h"

namespace pelliton {
namespace {

std::int64_t M(std::uint16_t day, std::uint16_t hour, std::uint16_t minute = 0) {
  return *LocalMinute({2026, 12, day, hour, minute});
}

PlanSettings Window(int from, int to, std::uint8_t resetHour = 0) {
  PlanSettings s{true, static_cast<std::uint16_t>(from * 60), static_cast<std::uint16_t>(to * 60)};
  s.dailyResetHour = resetHour;
  return s;
}

TEST(SplitGrowth, ATickGoesToItsMinuteAStopBySharesOfItsSpan) {
  // clang-format off
  const struct {
    const char* what;
    PlanSettings settings;
    std::optional<std::int64_t> last;
    std::int64_t now;
    std::uint64_t tickKB, stoppedKB;
    PlanShare share;
  } cases[] = {
    {"a window crossing midnight, after it", Window(23, 5), {}, M(9, 1), 100, 0, {100, 100, 100}},
    {"a window crossing midnight, before it", Window(23, 5), {}, M(9, 23), 100, 0, {100, 100, 100}},
    {"a window crossing midnight, outside", Window(23, 5), {}, M(9, 12), 100, 0, {0, 100, 0}},
    {"a tick on the start", Window(2, 8), M(9, 1, 59), M(9, 2), 100, 0, {100, 100, 100}},
    {"a tick on the end", Window(2, 8), M(9, 7, 59), M(9, 8), 100, 0, {0, 100, 0}},
    {"the minute before the start", Window(2, 8), {}, M(9, 1, 59), 100, 0, {0, 100, 0}},
    {"a clock set back across the boundary", Window(2, 8), M(9, 8, 5), M(9, 7, 55), 0, 100,
     {100, 100, 100}},
    {"a stop spanning the window", Window(2, 8), M(9, 0), M(9, 12), 0, 1200, {600, 1200, 600}},
    {"a stop over a day", Window(2, 8), M(8, 12), M(9, 12), 0, 2400, {600, 1200, 600}},
    {"a stop, then this tick's own", Window(2, 8), M(9, 0), M(9, 12), 50, 1200, {600, 1250, 600}},
    {"the day's reset hour", Window(2, 8, 6), M(9, 0), M(9, 12), 0, 1200, {600, 600, 200}},
    {"a stop across midnight's window", Window(23, 5), M(8, 22), M(9, 6), 0, 800, {600, 600, 500}},
    {"no window", PlanSettings{}, M(9, 0), M(9, 12), 0, 1200, {0, 1200, 0}},
  };
  // clang-format on
  for (const auto& c : cases) {
    const PlanShare share = SplitGrowth(c.settings, c.last, c.now, c.tickKB, c.stoppedKB);
    EXPECT_EQ(share.windowKB, c.share.windowKB) << c.what;
    EXPECT_EQ(share.dayKB, c.share.dayKB) << c.what;
    EXPECT_EQ(share.dayWindowKB, c.share.dayWindowKB) << c.what;
  }
  EXPECT_EQ(DailyDay(Window(2, 8, 6), M(9, 5, 59)), 20261208u);
  EXPECT_EQ(DailyDay(Window(2, 8, 6), M(9, 6)), 20261209u);
}

TEST(PlanFigures, TheStoredFormReadsBackAndAKilledWriteIsTakenBack) {
  const PlanFigures f{500, 200, 202612090215, 20261209, 300, 100, 50, 50, 50, 50};
  const std::string text = FormatPlanFigures(f);
  EXPECT_EQ(text, "500,200,202612090215,20261209,300,100,50,50,50,50");
  EXPECT_EQ(ParsePlanFigures(text), f);
  for (const char* bad : {"", "1,2,3", "500,200,202612090260,20261209,300,100,50,50,50,50",
                          "500,200,0,20261332,300,100,0,0,0,0", "4294967296,0,0,0,0,0,0,0,0,0",
                          "5,281474976710657,0,0,0,0,0,0,0,0", "5,-1,0,0,0,0,0,0,0,0",
                          "5,1,0,0,0,0,0,0,0,0,0", "5, 1,0,0,0,0,0,0,0,0"})
    EXPECT_FALSE(ParsePlanFigures(bad)) << bad;
  // "TotalData" holds the write: kept; lacks it: taken back; anything else: the total wins.
  EXPECT_EQ(SettledPlanFigures(text, 500).windowKB, 200u);
  EXPECT_EQ(SettledPlanFigures(text, 450).windowKB, 150u);
  EXPECT_EQ(SettledPlanFigures(text, 450).dayKB, 250u);
  EXPECT_EQ(SettledPlanFigures(text, 120).windowKB, 120u);
  EXPECT_EQ(SettledPlanFigures("junk", 77), PlanFigures{.total = 77});
}

}  // namespace
}  // namespace pelliton
