#include "metering/plan/allowance.h"

#include <string>
#include <vector>

#include "metering/meter_fixture.h"
#include "metering/tick.h"
#include "store/catalogue.h"

namespace pelliton {
namespace {

using Lines = std::vector<std::string>;
constexpr std::uint32_t kGB = 1048576;

TEST(CycleLines, TellWhereTheCycleStandsAndHeads) {
  // clang-format off
  const struct {
    const char* what;
    std::u16string head;
    std::uint16_t cycleDay;
    LocalDateTime now;
    std::uint32_t totalKB, capMB;
    Lines lines;
    std::uint32_t cycleStart = 0;  // the day the figures last restarted
  } cases[] = {
    {"first day", u"15 Dec, 2026", 15, {2026, 12, 15, 6}, kGB, 51200,
     {"Used 1.00 GB of 50 GB (2 %), day 1 of 31 of this cycle.",
      "At this pace: 124.00 GB by 15 Jan, 2027.",
      "To stay within it: 1.63 GB a day for the 30 days left."}},
    {"middle", u"15 Dec, 2026", 15, {2026, 12, 23, 23, 58}, 12939428, 51200,
     {"Used 12.34 GB of 50 GB (24 %), day 9 of 31 of this cycle.",
      "At this pace: 42.51 GB by 15 Jan, 2027.",
      "To stay within it: 1.71 GB a day for the 22 days left."}},
    {"last day", u"15 Dec, 2026", 15, {2027, 1, 14, 12}, 45 * kGB, 51200,
     {"Used 45.00 GB of 50 GB (90 %), day 31 of 31 of this cycle.",
      "At this pace: 45.74 GB by 15 Jan, 2027.", "To stay within it: 5.00 GB for today."}},
    {"over it", u"15 Dec, 2026", 15, {2027, 1, 10, 12}, 55784243, 51200,
     {"Used 53.20 GB of 50 GB (106 %), day 27 of 31 of this cycle.",
      "At this pace: 62.23 GB by 15 Jan, 2027.", "Over it by 3.20 GB."}},
    {"no allowance", u"15 Dec, 2026", 15, {2026, 12, 23, 23, 58}, 12939428, 0,
     {"Used 12.34 GB, day 9 of 31 of this cycle."}},
    {"billing day 1", u"01 Feb, 2027", 1, {2027, 2, 10, 12}, 3 * kGB, 10240,
     {"Used 3.00 GB of 10 GB (30 %), day 10 of 28 of this cycle.",
      "At this pace: 8.84 GB by 01 Mar, 2027.",
      "To stay within it: 398.22 MB a day for the 18 days left."}},
    {"billing day 28", u"28 Jan, 2027", 28, {2027, 2, 2, 12}, 3 * kGB, 10240,
     {"Used 3.00 GB of 10 GB (30 %), day 6 of 31 of this cycle.",
      "At this pace: 16.91 GB by 28 Feb, 2027.",
      "To stay within it: 286.72 MB a day for the 25 days left."}},
    {"no start date: the last billing day", u"?? ???, ????", 15, {2027, 1, 3, 12}, 3 * kGB, 205,
     {"Used 3.00 GB of 0.2 GB (1498 %), day 20 of 31 of this cycle.",
      "At this pace: 4.77 GB by 15 Jan, 2027.", "Over it by 2.80 GB."}},
    {"a new cycle day 8 on 8 Dec", u"15 Nov, 2026", 8, {2026, 12, 9}, 2 * kGB, 51200,
     {"Used 2.00 GB of 50 GB (4 %), day 2 of 31 of this cycle.",
      "At this pace: 62.00 GB by 08 Jan, 2027.",
      "To stay within it: 1.66 GB a day for the 29 days left."}, 20261208},
    {"Change Network before the billing day", u"15 Nov, 2026", 15, {2026, 12, 12}, kGB, 10240,
     {"Used 1.00 GB of 10 GB (10 %), day 3 of 5 of this cycle.",
      "At this pace: 2.50 GB by 15 Dec, 2026.",
      "To stay within it: 4.50 GB a day for the 2 days left."}, 20261210},
    {"a rollover still to come", u"15 Nov, 2026", 15, {2026, 12, 20, 12}, 40 * kGB, 51200,
     {"Used 40.00 GB of 50 GB (80 %), day 30 of 30 of this cycle.",
      "At this pace: 40.00 GB by 15 Dec, 2026.", "To stay within it: 10.00 GB for today."}},
    {"4096 GB, the total at its top", u"15 Dec, 2026", 15, {2026, 12, 23}, 4294967295, 4194304,
     {"Used 4,096.00 GB of 4096 GB (100 %), day 9 of 31 of this cycle.",
      "At this pace: 4,096.00 GB by 15 Jan, 2027.", "To stay within it: 0 KB a day for the 22 days left."}},
  };
  // clang-format on
  testing::FakeLocale locale;
  for (const auto& c : cases) {
    MeterState state;
    state.AllData = c.head + u"15 Nov, 202615 Dec, 2026    1.50 MB01234";
    state.CycleDay = c.cycleDay;
    state.TotalDataKB = c.totalKB;
    state.CycleStart = c.cycleStart;
    EXPECT_EQ(CycleLines(state, {c.capMB, 80, 0}, c.now, locale), c.lines) << c.what;
  }
}

// 0.2 GB at 80 %: the level at 167,936 KB, the whole allowance at 209,920 KB; 8 Dec is day 8
// of the cycle from 1 Dec.
TEST(WatchAllowance, WarnsOncePerCycleThroughRestartsUntilRolloverOrARaise) {
  testing::MeterRig rig;
  rig.store.Set("DataCap", "205");
  auto level = [](std::string cap, std::string used) {
    return "This billing cycle has used 80% of its " + cap + " GB allowance: " + used +
           ", with 23 days left.";
  };
  auto whole = [&level](std::string cap, std::string used) {
    std::string text = level(cap, used);
    return text.replace(text.find("80% of its"), 10, "its whole");
  };
  // clang-format off
  const struct {
    const char* what;
    void (*before)(testing::MeterRig&);
    std::uint32_t totalKB;
    Lines notices;
    const char* warned;
  } steps[] = {
    {"below the level", nullptr, 167935, {}, ""},
    {"the level", nullptr, 167936, {level("0.2", "164.00 MB")}, "1"},
    {"a restart: only the store carries over",
     [](testing::MeterRig& r) { r.state.DataCap.reset(); }, 180000, {}, "1"},
    {"the whole", nullptr, 209920, {whole("0.2", "205.00 MB")}, "3"},
    {"a raise above the total",
     [](testing::MeterRig& r) { StoreAllowance(r.state, r.store, 256, 80); },
     209920, {level("0.25", "205.00 MB")}, "1"},
    {"a rollover", [](testing::MeterRig& r) { RollOver(r.meter, r.clock.now); }, 0, {}, "0"},

    {"both at once, a bad level read as 80",
     [](testing::MeterRig& r) { r.store.Set("CapWarning", "9x"); r.state.DataCap.reset(); },
     300000,
     {level("0.25", "292.97 MB"), whole("0.25", "292.97 MB")}, "3"},
    {"a restart cut short before it armed the warnings: armed by the total",
     [](testing::MeterRig& r) { r.state.DataCap.reset(); }, 0, {}, "0"},
    {"then the level", nullptr, 210000, {level("0.25", "205.08 MB")}, "1"},
    {"and the whole", nullptr, 262144, {whole("0.25", "256.00 MB")}, "3"},
  };
  // clang-format on
  for (const auto& step : steps) {
    if (step.before) step.before(rig);
    rig.view.notices.clear();
    rig.state.TotalDataKB = step.totalKB;
    WatchAllowance(rig.meter, rig.clock.now);
    EXPECT_EQ(rig.view.notices, step.notices) << step.what;
    EXPECT_EQ(rig.store.Get("CapWarned"), step.warned) << step.what;
  }
  rig.store.Set("CapWarned", "0");
  rig.state.DataCap.reset();
  rig.store.lockedKeys.insert(std::string(kSettingsKey));
  rig.view.notices.clear();
  WatchAllowance(rig.meter, rig.clock.now);
  EXPECT_EQ(rig.view.notices, Lines{}) << "a warning the store cannot remember";
  rig.store.lockedKeys.clear();
  rig.store.Set("CapWarned", "3");
  rig.store.failingWrites.insert("CapWarned");
  // A store that fails never costs the restart, and once it takes writes again the new
  // cycle's warnings come.
  RestartCycle(rig.meter, rig.clock.now);
  WatchAllowance(rig.meter, rig.clock.now);
  EXPECT_EQ(rig.store.Get("TotalData"), "0");
  rig.store.failingWrites.clear();
  rig.state.DataCap.reset();
  rig.view.notices.clear();
  for (std::uint32_t total : {0u, 300000u}) {
    rig.state.TotalDataKB = total;
    WatchAllowance(rig.meter, rig.clock.now);
  }
  EXPECT_EQ(rig.view.notices.size(), 2u);
  EXPECT_EQ(rig.store.Get("CapWarned"), "3");
}

// A new level or allowance and the warnings given ("1"), 200 MB used of 0.25 GB (78 %); a
// key that cannot be opened takes nothing, and says so.
TEST(StoreAllowance, ALevelAboveTheShareUsedArmsItsWarningAgain) {
  const struct {
    std::uint32_t capMB;
    int percent;
    const char* warned;
  } cases[] = {{256, 95, "0"}, {256, 78, "1"}, {512, 80, "0"}};
  for (const auto& c : cases) {
    testing::MeterRig rig;
    rig.store.Set("DataCap", "256");
    rig.store.Set("CapWarned", "1");
    rig.state.TotalDataKB = 200 * 1024;
    StoreAllowance(rig.state, rig.store, c.capMB, c.percent);
    EXPECT_EQ(rig.store.Get("CapWarned"), c.warned) << c.capMB << " MB at " << c.percent << " %";
  }
  testing::MeterRig rig;
  rig.store.lockedKeys.insert(std::string(kSettingsKey));
  EXPECT_THROW(StoreAllowance(rig.state, rig.store, 256, 80), RegistryError);
  // An entry left as shown keeps the stored value: 1000 MB shows as "0.98", 3 MB as "0".
  EXPECT_EQ(EnteredAllowance({1000, 80, 0}, "0.98", "90", '.').capMB, 1000u);
  EXPECT_EQ(EnteredAllowance({3, 80, 0}, "0", "80", '.').capMB, 3u);
  EXPECT_EQ(EnteredAllowance({1000, 95, 0}, "1", "95", '.').capMB, 1024u);
}

}  // namespace
}  // namespace pelliton
