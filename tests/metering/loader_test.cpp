#include "metering/loader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "fakes/fake_platform.h"
#include "fakes/fake_store.h"
#include "metering/sources/connection_set.h"
#include "store/outcome.h"

namespace pelliton {
namespace {

using testing::FakeLocale;
using testing::FakeStore;
using testing::kRangeCheck;
using testing::NotAnInteger;
using testing::Outcome;

// Figures that no stored text in these tests gives, so that an assignment shows.
MeterState Sentinels() {
  MeterState state;
  state.CycleDay = 9;
  state.LastMonth = 9;
  state.TotalDataKB = 9;
  state.AllData = u"old";
  state.Seconds = 9;
  state.Minutes = 9;
  state.Hours = 9;
  state.FreezeOn = true;
  state.ShuffleOn = true;
  return state;
}

// A stored value of each step, each different from its default.
void StoreAllNine(FakeStore& store) {
  store.Set("BillCycleDate", "15");
  store.Set("LastMonth", "4");
  store.Set("TotalData", "123456");
  store.Set("AllData", "Dec 08, 2026");
  store.Set("Seconds", "58");
  store.Set("Minutes", "59");
  store.Set("Hours", "1000");
  store.Set("FreezeOn", "1");
  store.Set("ShuffleOn", "1");
}

class LoaderTest : public ::testing::Test {
 protected:
  // "0", or the first bad value's error; the fields load all the same.
  std::string Load() {
    return Outcome([&] {
      BadValues bad;
      LoadDataValuesFromRegistry(state, store, locale, bad);
      bad.RaiseFirst();
      return 0;
    });
  }

  MeterState state = Sentinels();
  FakeStore store;
  FakeLocale locale;
};

TEST_F(LoaderTest, EmptyStoreGivesTheDefaults) {
  ASSERT_EQ(Load(), "0");
  EXPECT_EQ(state.CycleDay, 1);
  EXPECT_EQ(state.LastMonth, 0);
  EXPECT_EQ(state.TotalDataKB, 0u);
  EXPECT_EQ(state.AllData, u"?? ???, ????");
  EXPECT_EQ(state.Seconds, 0);
  EXPECT_EQ(state.Minutes, 0);
  EXPECT_EQ(state.Hours, 0);
  EXPECT_FALSE(state.FreezeOn);
  EXPECT_FALSE(state.ShuffleOn);
}

TEST_F(LoaderTest, ReadsTheNineValuesInOrderFromTheSettingsKey) {
  StoreAllNine(store);
  store.Set("TotalData", "777", "Software\\Zorvane");  // a neighbouring key is not read
  ASSERT_EQ(Load(), "0");
  const std::vector<std::string> order = {"BillCycleDate", "LastMonth", "TotalData",
                                          "AllData",       "Seconds",   "Minutes",
                                          "Hours",         "FreezeOn",  "ShuffleOn"};
  EXPECT_EQ(store.readNames, order);
  EXPECT_EQ(state.CycleDay, 15);
  EXPECT_EQ(state.LastMonth, 4);
  EXPECT_EQ(state.TotalDataKB, 123456u);
  EXPECT_EQ(state.AllData, u"Dec 08, 2026");
  EXPECT_EQ(state.Seconds, 58);
  EXPECT_EQ(state.Minutes, 59);
  EXPECT_EQ(state.Hours, 1000);
  EXPECT_TRUE(state.FreezeOn);
  EXPECT_TRUE(state.ShuffleOn);
}

TEST_F(LoaderTest, TouchesNoOtherField) {
  StoreAllNine(store);
  store.Set("NetworkType", "eth0");
  store.Set("FontSize", "20");
  store.Set("Color", "255");
  state.NetworkType = "wlan0";
  state.FontSize = 26;
  state.ClockColor = 7;
  state.AdapterBound = true;
  state.AdapterRow = 3;
  state.PrevDownKB = 11;
  state.TodayMonth = 12;
  ASSERT_EQ(Load(), "0");
  EXPECT_EQ(state.NetworkType, "wlan0");
  EXPECT_EQ(state.FontSize, 26);
  EXPECT_EQ(state.ClockColor, 7);
  EXPECT_TRUE(state.AdapterBound);
  EXPECT_EQ(state.AdapterRow, 3);
  EXPECT_EQ(state.PrevDownKB, 11u);
  EXPECT_EQ(state.TodayMonth, 12);
}

// One stored text at a time, with what the load gives and the field it lands in.
TEST_F(LoaderTest, ConvertsEachTextOrRaises) {
  struct Case {
    std::string name, text, expected;
    std::function<std::int64_t(const MeterState&)> field;
  };
  const auto cycleDay = [](const MeterState& s) { return s.CycleDay; };
  const auto lastMonth = [](const MeterState& s) { return s.LastMonth; };
  const auto total = [](const MeterState& s) { return s.TotalDataKB; };
  const auto seconds = [](const MeterState& s) { return s.Seconds; };
  const auto minutes = [](const MeterState& s) { return s.Minutes; };
  const auto hours = [](const MeterState& s) { return s.Hours; };
  const std::vector<Case> cases = {
      {"TotalData", "4294967295", "4294967295", total},
      {"TotalData", "$FFFFFFFF", "4294967295", total},
      {"TotalData", "4294967296", NotAnInteger("4294967296"), nullptr},
      {"TotalData", "-1", kRangeCheck, nullptr},
      {"TotalData", "0", "0", total},
      {"Hours", "65535", "65535", hours},
      {"Hours", "65536", kRangeCheck, nullptr},
      {"Hours", "-1", kRangeCheck, nullptr},
      {"Seconds", "12a", "convert: '12a' is not a valid integer value", nullptr},
      {"Seconds", " 42", "42", seconds},
      {"Seconds", "42 ", NotAnInteger("42 "), nullptr},
      {"Seconds", " ", NotAnInteger(" "), nullptr},
      {"Minutes", "$10", "16", minutes},
      {"Minutes", "0x3B", "59", minutes},
      {"BillCycleDate", "0", "0", cycleDay},  // zero is not the default
      {"BillCycleDate", "31", "31", cycleDay},
      {"BillCycleDate", "65536", kRangeCheck, nullptr},
      {"LastMonth", "13", "13", lastMonth},
      {"LastMonth", "2147483648", NotAnInteger("2147483648"), nullptr},
      {"LastMonth", std::string(1 << 20, '9'), NotAnInteger(std::string(1 << 20, '9')), nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name + " = " + c.text.substr(0, 20));
    state = Sentinels();
    store = FakeStore();
    store.Set(c.name, c.text);
    const std::string outcome = Load();
    if (c.field) {
      EXPECT_EQ(outcome, "0");
      EXPECT_EQ(std::to_string(c.field(state)), c.expected);
    } else {
      EXPECT_EQ(outcome, c.expected);
    }
  }
}

TEST_F(LoaderTest, CarriesTheConnectedTimeSoThatTicksCanAddToIt) {
  const struct {
    const char *seconds, *minutes, *hours;
    int h, m, s;
  } cases[] = {
      {"58", "59", "1000", 1000, 59, 58},   {"60", "", "", 0, 1, 0},
      {"65534", "", "", 18, 12, 14},        {"65535", "65535", "7", 1117, 27, 15},
      {"", "60", "65534", 65535, 0, 0},     {"59", "59", "65535", 65535, 59, 59},
      {"60", "59", "65535", 65535, 59, 59}, {"65535", "65535", "65535", 65535, 59, 59},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.hours) + ":" + c.minutes + ":" + c.seconds);
    state = Sentinels();
    store.Set("Seconds", c.seconds);
    store.Set("Minutes", c.minutes);
    store.Set("Hours", c.hours);
    ASSERT_EQ(Load(), "0");
    EXPECT_EQ(state.Hours, c.h);
    EXPECT_EQ(state.Minutes, c.m);
    EXPECT_EQ(state.Seconds, c.s);
  }
}

TEST_F(LoaderTest, FlagsAreOnOnlyForExactlyOne) {
  const std::vector<std::pair<std::string, bool>> cases = {
      {"", false},   {"1", true},   {"0", false},  {" 1", false},
      {"1 ", false}, {"01", false}, {"$1", false}, {"yes", false},
  };
  for (const auto& [text, on] : cases) {
    SCOPED_TRACE(text);
    state = Sentinels();
    store.Set("FreezeOn", text);
    store.Set("ShuffleOn", text);
    ASSERT_EQ(Load(), "0");
    EXPECT_EQ(state.FreezeOn, on);
    EXPECT_EQ(state.ShuffleOn, on);
  }
}

// A locale whose widening shows that the history went through it.
class BracketingLocale : public FakeLocale {
 public:
  std::u16string Widen(std::string_view text) const override {
    std::u16string wide = u"[";
    return wide.append(FakeLocale::Widen(text)).append(u"]");
  }
};

TEST_F(LoaderTest, HistoryIsWidenedThroughTheCodePage) {
  BracketingLocale bracketing;
  LoadDataValuesFromRegistry(state, store, bracketing);
  EXPECT_EQ(state.AllData, u"[?? ???, ????]");

  store.Set("AllData", "\xE9t\xE9");  // high bytes are characters, not negative numbers
  LoadDataValuesFromRegistry(state, store, locale);
  EXPECT_EQ(state.AllData, u"\u00E9t\u00E9");
}

// A bad "Minutes" or a bad first step loads as absent; every other step loads, and the first
// error is the one kept.
TEST_F(LoaderTest, ABadValueLoadsAsAbsentAndTheRestLoads) {
  struct Case {
    std::string what;
    std::function<void(FakeStore&)> spoil;
    std::string expected;
    std::uint16_t cycleDay, minutes;
  };
  const std::vector<Case> cases = {
      {"wrong type", [](FakeStore& s) { s.wrongType = {"Minutes"}; },
       "store: Invalid data type for 'Minutes'", 15, 0},
      {"not a number", [](FakeStore& s) { s.Set("Minutes", "5 min"); }, NotAnInteger("5 min"), 15,
       0},
      {"out of range", [](FakeStore& s) { s.Set("Minutes", "70000"); }, kRangeCheck, 15, 0},
      {"first step",
       [](FakeStore& s) {
         s.wrongType = {"BillCycleDate", "FreezeOn"};
       },
       "store: Invalid data type for 'BillCycleDate'", 1, 59},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    state = Sentinels();
    store = FakeStore();
    StoreAllNine(store);
    c.spoil(store);
    EXPECT_EQ(Load(), c.expected);
    EXPECT_EQ(store.reads, 9);
    EXPECT_EQ(state.CycleDay, c.cycleDay);
    EXPECT_EQ(state.LastMonth, 4);
    EXPECT_EQ(state.TotalDataKB, 123456u);
    EXPECT_EQ(state.AllData, u"Dec 08, 2026");
    EXPECT_EQ(state.Seconds, 58);
    EXPECT_EQ(state.Minutes, c.minutes);
    EXPECT_EQ(state.Hours, 1000);
    EXPECT_EQ(state.FreezeOn, c.what != "first step");
    EXPECT_TRUE(state.ShuffleOn);
  }
}

// A set that cannot be read reads as "NetworkType" alone and never raises; one that begins
// with another name holds (a new name whose "NetworkType" was not stored).
TEST(LoadNetworkSet, ABadSetReadsAsNetworkTypeAlone) {
  const std::vector<ConnectionId> alone{{"eth0", "", ""}};
  const std::vector<ConnectionId> two{{"eth0", "00-1A-2B-3C-4D-5E", ""}, {"wlan0", "", "{9}"}};
  const struct {
    const char* name;
    std::string text;
    bool wrongType;
    std::vector<ConnectionId> loaded;
  } cases[] = {
      {"the set", FormatNetworkSet(two), false, two},
      {"absent", "", false, alone},
      {"another first", FormatNetworkSet({two[1], two[0]}), false, {two[1], two[0]}},
      {"cut short", FormatNetworkSet(two).substr(0, 40), false, alone},
      {"huge", std::string(1 << 20, '9'), false, alone},
      {"of another type", FormatNetworkSet(two), true, alone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeStore store;
    store.Set("NetworkSet", c.text);
    if (c.wrongType) store.wrongType.insert("NetworkSet");
    EXPECT_EQ(LoadNetworkSet(store, "eth0"), c.loaded);
  }
}

}  // namespace
}  // namespace pelliton
