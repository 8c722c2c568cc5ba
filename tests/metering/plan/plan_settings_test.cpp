#include <gtest/gtest.h>

#include "fakes/fake_store.h"
#include "metering/plan/plan.h"
#include "store/catalogue.h"

namespace pelliton {
namespace {

using testing::FakeStore;

TEST(PlanSettings, EveryBadValueReadsAsItsDefault) {
  const struct {
    const char* start;
    const char* end;
    const char* other;  // the text every other value holds
    bool hasWindow;
  } cases[] = {
      {"", "", "", false},         {"120", "480", "", true},       {"120", "120", "x", false},
      {"120", "", "-1", false},    {"1440", "480", "4194305", false}, {"abc", "480", "1e3", false},
      {" 120", "480", "2.5", true},
  };
  for (const auto& c : cases) {
    FakeStore store;
    const auto put = [&](const StoredValue& v, const char* text) {
      store.values[{std::string(v.key), std::string(v.name)}] = text;
    };
    put(stored::OffPeakStart, c.start);
    put(stored::OffPeakEnd, c.end);
    for (const auto* v : {&stored::OffPeakRule, &stored::OffPeakCap, &stored::OffPeakWarning,
                          &stored::DailyCap, &stored::DailyWarning, &stored::DailyReset})
      put(*v, c.other);
    const PlanSettings read = ReadPlanSettings(store);
    EXPECT_EQ(read.hasWindow, c.hasWindow) << c.start << " " << c.end;
    EXPECT_EQ(read.rule, OffPeakRule::Free);
    EXPECT_EQ(read.offPeakCapMB + read.dailyCapMB + read.dailyResetHour, 0u);
    EXPECT_EQ(read.offPeakWarningPercent + read.dailyWarningPercent, 160);
  }
  FakeStore other;
  other.wrongType.insert("OffPeakStart");
  other.wrongType.insert("DailyCap");
  EXPECT_EQ(ReadPlanSettings(other), PlanSettings{});
}

TEST(PlanSettings, StoreReadsBackOrLeavesTheStoreAsItWas) {
  FakeStore store;
  const PlanSettings plan{true, 23 * 60, 5 * 60, OffPeakRule::OwnThenMain, 10240, 90, 1536, 70, 6};
  StorePlanSettings(store, plan);
  EXPECT_EQ(ReadPlanSettings(store), plan);
  EXPECT_EQ(FormatWindow(plan), "23:00-05:00");
  PlanSettings changed = plan;
  changed.dailyCapMB = 2048;
  store.failingWrites.insert("DailyCap");
  EXPECT_THROW(StorePlanSettings(store, changed), RegistryError);
  EXPECT_EQ(ReadPlanSettings(store), plan);
  store.failingWrites.clear();
  StorePlanSettings(store, PlanSettings{});
  EXPECT_EQ(ReadPlanSettings(store), PlanSettings{});
  EXPECT_EQ(FormatWindow(PlanSettings{}), "");
}

TEST(PlanSettings, TimesOfDayAreCheckedEntries) {
  EXPECT_EQ(ParseTimeOfDay("02:00").minutes, 120);
  EXPECT_EQ(ParseTimeOfDay(" 7:30 ").minutes, 450);
  EXPECT_EQ(ParseTimeOfDay("23:59").minutes, 1439);
  for (const char* bad : {"", "2", "24:00", "12:60", "1:5", "ab:cd", "-1:00", "123:00"})
    EXPECT_FALSE(ParseTimeOfDay(bad).problem.empty()) << bad;
  EXPECT_EQ(ParseTimeOfDay("24:00").problem, "From 00:00 to 23:59.");
  EXPECT_EQ(FormatTimeOfDay(5), "00:05");
}

}  // namespace
}  // namespace pelliton
