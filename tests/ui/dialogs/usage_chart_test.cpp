#include "ui/dialogs/usage_chart.h"

#include <gtest/gtest.h>

#include <array>

#include "fakes/fake_platform.h"
#include "ui/dialogs/usage_window.h"

namespace pelliton::testing {
namespace {

namespace chr = std::chrono;
constexpr std::uint64_t MB = 1024, GB = 1024 * 1024;
constexpr chr::sys_days Date(int y, unsigned m, unsigned d) {
  return chr::year{y} / chr::month{m} / chr::day{d};
}
constexpr UsageDate Dec(int day) {
  return {2026, 12, static_cast<std::uint8_t>(day)};
}

TEST(AxisStepKB, IsRoundInTheQuantityText) {
  struct Case {
    std::uint64_t largest;
    int steps;
    std::uint64_t step;
  } cases[] = {{0, 5, 1},
               {7, 5, 2},
               {1000, 5, 200},
               {1010, 5, 256},
               {3 * MB, 5, MB},
               {990 * MB, 5, 200 * MB},
               {1030 * MB, 5, 256 * MB},
               {9 * GB, 4, 5 * GB},
               {3000 * GB, 3, 1000 * GB},
               {~std::uint64_t{0}, 1, 2000000000 * GB}};
  for (const Case& c : cases)
    EXPECT_EQ(AxisStepKB(c.largest, c.steps), c.step) << c.largest;
}

TEST(LayoutChart, StacksDownloadUnderUploadOnARoundAxis) {
  const ChartInput input{
      {UsageStack{600, 200, 0, 400}, std::nullopt, UsageStack{0, 0}, UsageStack{300, 100, -200}},
      {"1", "2", "3", "4"},
      250,
      {}};
  const ChartLayout layout = LayoutChart(input, {10, 0, 400, 100}, {25, 150}, {});
  EXPECT_EQ(layout.axisTopKB, 800u);  // in steps of 200 KB: four at most
  ASSERT_EQ(layout.ticks.size(), 5u);
  EXPECT_EQ(layout.ticks[0].y, 100);
  EXPECT_EQ(layout.ticks[4].y, 0);
  EXPECT_EQ(layout.ticks[4].label, "800 KB");
  ASSERT_EQ(layout.bars.size(), 2u);  // no bar for a day without data or with none counted
  const ChartBar& first = layout.bars[0];
  EXPECT_EQ(first.slot, 0u);
  EXPECT_EQ(first.left, 10 + 50 - 35);
  EXPECT_EQ(first.width, 70);
  EXPECT_EQ(first.bottom, 100);
  EXPECT_EQ(first.downTop, 25);
  EXPECT_EQ(first.upTop, 0);
  EXPECT_EQ(first.top, 0);
  EXPECT_EQ(first.offPeakTop, 50);  // its 400 KB off-peak
  const ChartBar& corrected = layout.bars[1];  // 200 KB taken off its 400
  EXPECT_EQ(corrected.slot, 3u);
  EXPECT_EQ((std::array{corrected.downTop, corrected.upTop, corrected.top}),
            (std::array{75, 75, 75}));
  EXPECT_EQ(layout.paceY, 69);
  ASSERT_EQ(layout.labels.size(), 2u);  // every second one has room
  EXPECT_EQ(layout.labels[1].text, "3");
  EXPECT_EQ(layout.labels[1].centre, 260);
}

TEST(SlotAt, FindsTheSlotUnderTheMouse) {
  const ChartRect area{10, 0, 310, 50};
  for (auto [x, slot] : {std::pair{9, -1}, {10, 0}, {19, 0}, {20, 1}, {319, 30}, {320, -1}}) {
    const std::optional<std::size_t> found = SlotAt(area, 31, x);
    EXPECT_EQ(found ? static_cast<int>(*found) : -1, slot) << x;
  }
  EXPECT_FALSE(SlotAt(area, 0, 20));
}

// The hours the off-peak window covers in part or whole, also across midnight.
TEST(OffPeakHours, CoverEveryHourTheWindowTouches) {
  const struct {
    std::uint16_t start, end;
    std::vector<int> hours;
  } cases[] = {{120, 480, {2, 3, 4, 5, 6, 7}}, {1380, 300, {0, 1, 2, 3, 4, 23}}, {90, 150, {1, 2}}};
  for (const auto& c : cases) {
    std::vector<bool> expected(24, false);
    for (int hour : c.hours) expected[static_cast<std::size_t>(hour)] = true;
    EXPECT_EQ(OffPeakHours({.hasWindow = true, .windowStart = c.start, .windowEnd = c.end}),
              expected)
        << c.start;
  }
}

TEST(ViewableCycles, StepBackThroughTheHistoryAsFarAsDaysReach) {
  FakeLocale locale;
  const std::u16string allData =
      u"15 Dec, 202615 Nov, 202615 Dec, 2026    1.50 MB01234?? ???, ????15 Nov, 2026       0 "
      u"KB00000";
  const CycleDays current{Date(2026, 12, 15), Date(2027, 1, 15)};
  EXPECT_EQ(ViewableCycles(current, allData, locale, std::nullopt).size(), 1u);
  EXPECT_EQ(ViewableCycles(current, allData, locale, Date(2026, 12, 20)).size(), 1u);
  const std::vector<CycleDays> cycles = ViewableCycles(current, allData, locale, Date(2026, 8, 1));
  ASSERT_EQ(cycles.size(), 6u);  // the last one holds the earliest day
  EXPECT_EQ(cycles[1].start, Date(2026, 11, 15));
  EXPECT_EQ(cycles[2].start, Date(2026, 10, 15));  // an unknown start: a month before its end
  EXPECT_EQ(cycles[4].start, Date(2026, 8, 15));
  EXPECT_EQ(cycles[5].end, Date(2026, 8, 15));
  // Change Network on 8 Dec: the days since the rollover of 15 Nov are a cycle of their own.
  const std::vector<CycleDays> restarted = ViewableCycles(
      {Date(2026, 12, 8), Date(2026, 12, 15)},
      u"15 Nov, 202615 Oct, 202615 Nov, 2026    5.00 GB00000", locale, Date(2026, 10, 20));
  ASSERT_EQ(restarted.size(), 3u);
  EXPECT_EQ(restarted[1].start, Date(2026, 11, 15));
  EXPECT_EQ(restarted[1].end, Date(2026, 12, 8));
  EXPECT_EQ(restarted[2].start, Date(2026, 10, 15));
  EXPECT_EQ(restarted[2].end, Date(2026, 11, 15));
  EXPECT_EQ(ViewableCycles({Date(2026, 12, 8), Date(2026, 12, 15)}, u"15 Nov, 2026", locale,
                           Date(2026, 11, 20))
                .back()
                .start,
            Date(2026, 11, 15));
}

TEST(UsageWindowModel, ChoosesDaysAndStepsThroughCycles) {
  FakeLocale locale;
  UsageRecords records{
      {{Dec(9), 2 * MB, 20}, {Dec(9), 0, 4}, {{2026, 11, 3}, MB, 0}, {Dec(10), 0, 0, MB}},
      {{Dec(9), 14, 2 * MB, 24}, {Dec(9), 30, 5, 5}}};
  UsageWindowModel model(
      {{Date(2026, 12, 1), Date(2027, 1, 1)}, {Date(2026, 11, 1), Date(2026, 12, 1)}}, records,
      31 * GB, Date(2026, 12, 9), locale);
  EXPECT_EQ(model.CycleLine(),
            "01 Dec, 2026 - 31 Dec, 2026: download 2.00 MB, upload 24 KB, corrected by +1.00 MB, "
            "total 3.02 MB");
  EXPECT_EQ(model.DayLine(), "09 Dec, 2026: download 2.00 MB, upload 24 KB, total 2.02 MB");
  EXPECT_EQ(model.DayChart().pacePerSlotKB, GB);
  const std::optional<ChartInput> hours = model.HourChart();
  ASSERT_TRUE(hours);
  EXPECT_EQ(hours->slots[14]->upKB, 24u);  // an hour out of the day's range is left out
  EXPECT_FALSE(hours->slots[13]);
  model.MoveChoice(1);
  EXPECT_EQ(model.DayLine(),
            "10 Dec, 2026: download 0 KB, upload 0 KB, corrected by +1.00 MB, total 1.00 MB");
  model.MoveChoice(1);
  EXPECT_EQ(model.DayLine(), "11 Dec, 2026: no data");
  EXPECT_FALSE(model.HourChart());
  EXPECT_FALSE(model.CanStepForward());
  model.Step(1);
  EXPECT_EQ(model.Chosen(), 2u);  // its last day with data
  EXPECT_FALSE(model.CanStepBack());
  model.Step(1);
  EXPECT_EQ(model.DayCount(), 30u);
  model.MoveChoice(100);
  EXPECT_EQ(model.Chosen(), 29u);
  model.Step(-1);
  EXPECT_EQ(model.Chosen(), 8u);
  EXPECT_EQ(UsageStack({5, 5, -20}).TotalKB(), 0u);
}

}  // namespace
}  // namespace pelliton::testing
