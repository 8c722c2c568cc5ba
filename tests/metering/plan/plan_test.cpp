#include <string>
#include <vector>

#include "metering/loader.h"
#include "metering/meter_fixture.h"
#include "metering/plan/allowance.h"
#include "metering/plan/plan_usage.h"
#include "metering/plan/plan_view.h"
#include "metering/tick.h"

namespace pelliton {
namespace {

using Titles = std::vector<std::string>;
constexpr std::uint32_t kMB = 1024;
constexpr auto kOff = std::string_view("Off-peak allowance");
constexpr auto kDay = std::string_view("Daily allowance");

PlanSettings Plan(int from, int to, OffPeakRule rule, std::uint32_t offPeakMB,
                  std::uint32_t dailyMB = 0) {
  return {from != to, static_cast<std::uint16_t>(from * 60), static_cast<std::uint16_t>(to * 60),
          rule, offPeakMB, 80, dailyMB};
}

// A meter counting one connection from 8 Dec 2026, 12:00, with `plan` and a main allowance.
struct PlanRig : testing::MeterRig {
  PlanRig(const PlanSettings& plan, std::uint32_t mainMB) {
    StorePlanSettings(store, plan);
    store.Set("DataCap", std::to_string(mainMB));
    AddRows(1, 0, 0, 0);
    Timer1Timer(meter);
  }
  // One tick at `at` that counts `kb`.
  void Tick(const LocalDateTime& at, std::uint32_t kb) {
    clock.now = at;
    table.rows[0].dwInOctets += kb * 1024;
    Timer1Timer(meter);
  }
  // `kb` at day hh:mm of December, counted by the tick after a quiet one a minute before.
  void Move(std::uint16_t day, std::uint16_t hour, std::uint16_t minute, std::uint32_t kb) {
    if (minute > 0) Tick({2026, 12, day, hour, static_cast<std::uint16_t>(minute - 1)}, 0);
    if (minute == 0) Tick({2026, 12, day, static_cast<std::uint16_t>(hour - 1), 59}, 0);
    Tick({2026, 12, day, hour, minute}, kb);
  }
  std::vector<std::uint64_t> Used() {
    return {MainAllowanceUsedKB(state, store), OffPeakAllowanceUsedKB(state, store),
            DailyAllowanceUsedKB(state, store, clock.now)};
  }
};

struct Step {
  std::uint16_t day, hour, minute;
  std::uint32_t kb;
};

// Each plan as it is sold, and what its published rules count and warn.
TEST(Plans, EachGivesTheFiguresAndWarningsOfItsRules) {
  // clang-format off
  const struct {
    const char* plan;
    PlanSettings settings;
    std::vector<Step> steps;
    std::vector<std::uint64_t> used;  // main, off-peak, today
    Titles warnings;
  } plans[] = {
    {"bonus zone 2-8: the bonus first, then the plan's", Plan(2, 8, OffPeakRule::OwnThenMain, 10),
     {{8, 12, 1, 1000}, {9, 3, 1, 8 * kMB}, {9, 3, 2, 4 * kMB}}, {3048, 10 * kMB, 12 * kMB},
     {std::string(kOff), std::string(kOff)}},
    {"off-peak bonus 2-8 beside Anytime", Plan(2, 8, OffPeakRule::OwnThenMain, 10),
     {{9, 2, 30, 5 * kMB}, {9, 9, 1, 2 * kMB}}, {2 * kMB, 5 * kMB, 7 * kMB}, {}},
    {"Peak 7-1 and Off-Peak 1-7 apart", Plan(1, 7, OffPeakRule::Own, 10),
     {{9, 1, 30, 12 * kMB}, {9, 8, 1, 4 * kMB}}, {4 * kMB, 12 * kMB, 16 * kMB},
     {std::string(kOff), std::string(kOff)}},
    {"measured from 5 am to midnight", Plan(0, 5, OffPeakRule::Free, 0),
     {{9, 0, 30, 4 * kMB}, {9, 12, 1, 1 * kMB}}, {1 * kMB, 0, 1 * kMB}, {}},
    {"11 pm-5 am free", Plan(23, 5, OffPeakRule::Free, 0),
     {{8, 23, 30, 4 * kMB}, {9, 6, 1, 1 * kMB}}, {1 * kMB, 0, 1 * kMB}, {}},
    {"fixed broadband, 2-8 unlimited", Plan(2, 8, OffPeakRule::Free, 0),
     {{9, 2, 0, 4 * kMB}, {9, 8, 0, 1 * kMB}}, {1 * kMB, 0, 1 * kMB}, {}},
    {"mobile, a daily allowance", Plan(0, 0, OffPeakRule::Free, 0, 2),
     {{9, 10, 1, 1700}, {9, 11, 1, 400}, {10, 0, 30, 100}}, {2200, 0, 100},
     {std::string(kDay), std::string(kDay)}},
    {"mobile, a day's allowance, free midnight to noon", Plan(0, 12, OffPeakRule::Free, 0, 2),
     {{9, 9, 1, 4 * kMB}, {9, 13, 1, 1000}}, {1000, 0, 1000}, {}},
  };
  // clang-format on
  for (const auto& p : plans) {
    PlanRig rig(p.settings, 50);
    for (const Step& s : p.steps)
      rig.Move(s.day, s.hour, s.minute, s.kb);
    EXPECT_EQ(rig.Used(), p.used) << p.plan;
    EXPECT_EQ(rig.view.titles, p.warnings) << p.plan;
  }
}

TEST(Plans, FiguresFollowTheTotalThroughAKillACorrectionAndARollover) {
  PlanRig rig(Plan(2, 8, OffPeakRule::OwnThenMain, 10), 50);
  rig.Move(9, 3, 1, 2048);
  EXPECT_EQ(rig.state.History.Days().back().offPeakKB, 2048u);
  // Killed between "PlanData" and "TotalData": the tick's growth is lost to both.
  rig.store.failingWrites.insert("TotalData");
  rig.Move(9, 3, 2, 1000);
  rig.store.failingWrites.clear();
  rig.Move(9, 5, 0, 0);  // found again at 04:59, counting at 05:00
  EXPECT_EQ(rig.Used()[1], 2048u);
  // A run that ends, and a start six hours later that counts what passed meanwhile.
  rig.state = MeterState{};
  rig.state.AdapterRow = kUnlocatedRow;
  rig.state.NetworkType = "Realtek PCIe GbE";
  LoadDataValuesFromRegistry(rig.state, rig.store, rig.locale);
  rig.Tick({2026, 12, 9, 11, 0}, 3000);
  EXPECT_EQ(rig.Used()[1], 2048u + 1500u) << "half the hours stopped lay in the window";
  // "Used so far" is the main allowance's: the off-peak part stays beside it in the total.
  CorrectCycleTotal(rig.state, rig.store, rig.clock.now, 5000);
  EXPECT_EQ(rig.store.Get("TotalData"), std::to_string(5000 + 3548));
  EXPECT_EQ(rig.Used()[0], 5000u);
  // A rollover inside the window: the growth before it stays with the finished cycle.
  rig.Tick({2027, 1, 1, 3, 0}, 500);
  EXPECT_EQ(rig.Used()[1], 0u);
  rig.Tick({2027, 1, 1, 3, 1}, 300);
  EXPECT_EQ(rig.state.TotalDataKB, 300u);
  EXPECT_EQ(rig.Used()[1], 300u);
}

TEST(Plans, LinesAndTheGaugeShowEachAllowanceThatIsSet) {
  testing::MeterRig rig;
  rig.state.AllData = u"01 Dec, 2026";
  rig.state.TotalDataKB = 16190014;  // 12.34 GB main and 3.10 GB off-peak
  PlanSettings plan = Plan(2, 8, OffPeakRule::OwnThenMain, 10240, 1536);
  plan.dailyWarningPercent = 75;
  rig.state.PlanSet = plan;
  rig.state.Plan = PlanFigures{.windowKB = 3250586, .day = 20261209, .dayKB = 1258291};
  const LocalDateTime now{2026, 12, 9, 12};
  const Allowance main{51200, 80, 0};
  EXPECT_EQ(AllowanceLines(rig.state, main, now, rig.locale),
            (Titles{"Main: 12.34 GB of 50 GB (24 %)", "Off-peak (02:00-08:00): 3.10 GB of 10 GB",
                     "Today: 1.20 GB of 1.5 GB until 00:00"}));
  const Titles lines = CycleLines(rig.state, main, now, rig.locale);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[0], "Used 15.44 GB in all, day 9 of 31 of this cycle.");
  EXPECT_EQ(lines[4], "Off-peak (02:00-08:00): 3.10 GB of 10 GB (31 %)");
  EXPECT_EQ(lines[6].substr(0, 18), "To stay within it:");
  EXPECT_EQ(PlanGaugeLevel(rig.state, main, now), GaugeLevel::Warning);
  rig.state.Plan->windowKB = 20 * 1048576;
  EXPECT_EQ(PlanGaugeLevel(rig.state, main, now), GaugeLevel::Whole);
  rig.state.PlanSet = PlanSettings{};
  EXPECT_EQ(PlanGaugeLevel(rig.state, Allowance{}, now), GaugeLevel::Normal);
}

}  // namespace
}  // namespace pelliton
