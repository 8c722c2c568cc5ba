#include "store/catalogue.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_store.h"
#include "store/outcome.h"

namespace pelliton {
namespace {

using testing::FakeStore;
using testing::kRangeCheck;
using testing::NotAnInteger;
using testing::Outcome;

constexpr std::string_view kSettings = "Software\\Zorvane\\Pelliton";
constexpr std::string_view kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

struct Row {
  std::string_view name;
  TextForm form;
  std::int64_t min, max, defaultNumber;
  std::string_view defaultText;
};

// The stored values of the settings key, written out by hand from the design.
constexpr Row kExpected[] = {
    {"NetworkType", TextForm::Text, 0, 0, 0, ""},
    {"Top", TextForm::Signed, -2147483648LL, 2147483647, 0, ""},
    {"Left", TextForm::Signed, -2147483648LL, 2147483647, 0, ""},
    {"FontSize", TextForm::Signed, 0, 255, 18, ""},
    {"Color", TextForm::Signed, -2147483648LL, 2147483647, 65280, ""},
    {"StayTop", TextForm::FlagOn, 0, 1, 1, ""},
    {"BillCycleDate", TextForm::Signed, 0, 65535, 1, ""},
    {"LastMonth", TextForm::Signed, 0, 65535, 0, ""},
    {"TotalData", TextForm::Unsigned, 0, 4294967295LL, 0, ""},
    {"AllData", TextForm::Text, 0, 0, 0, "?? ???, ????"},
    {"Seconds", TextForm::Signed, 0, 65535, 0, ""},
    {"Minutes", TextForm::Signed, 0, 65535, 0, ""},
    {"Hours", TextForm::Signed, 0, 65535, 0, ""},
    {"FreezeOn", TextForm::FlagOff, 0, 1, 0, ""},
    {"ShuffleOn", TextForm::FlagOff, 0, 1, 0, ""},
};

TEST(CatalogueTest, HoldsEveryValueOfTheSettingsKey) {
  ASSERT_EQ(stored::kCatalogue.size(), std::size(kExpected));
  for (std::size_t i = 0; i < std::size(kExpected); ++i) {
    const Row& want = kExpected[i];
    const StoredValue& have = stored::kCatalogue[i];
    SCOPED_TRACE(want.name);
    EXPECT_EQ(have.key, kSettings);
    EXPECT_EQ(have.name, want.name);
    EXPECT_EQ(have.form, want.form);
    EXPECT_EQ(have.min, want.min);
    EXPECT_EQ(have.max, want.max);
    EXPECT_EQ(have.defaultNumber, want.defaultNumber);
    EXPECT_EQ(have.defaultText, want.defaultText);
    EXPECT_EQ(have.defaultFromCaller, want.name == "Left");
  }
}

TEST(CatalogueTest, AutostartEntryLivesInTheRunKey) {
  EXPECT_EQ(stored::Autostart.key, kRun);
  EXPECT_EQ(stored::Autostart.name, "Zorvane Pelliton");
  EXPECT_EQ(stored::Autostart.form, TextForm::Text);
  EXPECT_EQ(stored::Autostart.defaultText, "");
}

// Stores `text` (nothing when absent) under the value's name and reads it back.
struct NumberCase {
  const StoredValue& value;
  std::optional<std::string> text;
  std::string expected;
};

TEST(ReadValueNumberTest, DefaultsConversionsAndRanges) {
  using namespace stored;
  const std::vector<NumberCase> cases = {
      {FontSize, std::nullopt, "18"},
      {FontSize, "", "18"},
      {FontSize, "0", "0"},  // a zero text is not the default
      {FontSize, "255", "255"},
      {FontSize, "$FF", "255"},
      {FontSize, "300", kRangeCheck},
      {FontSize, "-1", kRangeCheck},
      {FontSize, "$FFFFFFFF", kRangeCheck},  // -1 as a signed value
      {FontSize, " ", NotAnInteger(" ")},    // blanks are not empty
      {FontSize, "18 ", NotAnInteger("18 ")},
      {Color, std::nullopt, "65280"},
      {Color, "-1", "-1"},
      {Color, "$C0C0C0", "12632256"},
      {Color, "-2147483648", "-2147483648"},
      {Color, "2147483648", NotAnInteger("2147483648")},
      {Top, std::nullopt, "0"},
      {Top, "-100", "-100"},
      {BillCycleDate, std::nullopt, "1"},
      {BillCycleDate, "0", "0"},
      {BillCycleDate, "31", "31"},
      {BillCycleDate, "65535", "65535"},
      {BillCycleDate, "65536", kRangeCheck},
      {TotalData, "4294967295", "4294967295"},
      {TotalData, "$FFFFFFFF", "4294967295"},
      {TotalData, "4294967296", NotAnInteger("4294967296")},
      {TotalData, "-1", kRangeCheck},
      {TotalData, "-0", "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.value.name) + " = " + c.text.value_or("(absent)"));
    FakeStore store;
    if (c.text) store.Set(c.value.name, *c.text);
    EXPECT_EQ(Outcome([&] { return ReadValueNumber(store, c.value); }), c.expected);
  }
}

TEST(ReadValueNumberTest, LeftTakesTheCallersDefault) {
  const std::int64_t screenDefault = 1920 - 310;
  const std::vector<std::pair<std::optional<std::string>, std::string>> cases = {
      {std::nullopt, "1610"}, {"", "1610"}, {"0", "0"}, {"-5", "-5"}, {"99999", "99999"}};
  for (const auto& [text, expected] : cases) {
    SCOPED_TRACE(text.value_or("(absent)"));
    FakeStore store;
    if (text) store.Set("Left", *text);
    EXPECT_EQ(Outcome([&] { return ReadValueNumber(store, stored::Left, screenDefault); }),
              expected);
  }
  FakeStore store;
  EXPECT_THROW(ReadValueNumber(store, stored::Left), std::logic_error);
  EXPECT_THROW(ReadValueNumber(store, stored::AllData), std::logic_error);
}

TEST(ReadValueFlagTest, OnlyExactTextsCount) {
  struct FlagCase {
    std::optional<std::string> text;
    bool off;  // FreezeOn, ShuffleOn: on only for exactly "1"
    bool on;   // StayTop: on for all but exactly "0"
  };
  const std::vector<FlagCase> cases = {
      {std::nullopt, false, true}, {"", false, true},   {"1", true, true},   {"0", false, false},
      {" 1", false, true},         {"1 ", false, true}, {" 0", false, true}, {"0 ", false, true},
      {"01", false, true},         {"00", false, true}, {"2", false, true},  {"true", false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.value_or("(absent)"));
    FakeStore store;
    if (c.text) {
      for (auto name : {"FreezeOn", "ShuffleOn", "StayTop"})
        store.Set(name, *c.text);
    }
    EXPECT_EQ(ReadValueFlag(store, stored::FreezeOn), c.off);
    EXPECT_EQ(ReadValueFlag(store, stored::ShuffleOn), c.off);
    EXPECT_EQ(ReadValueFlag(store, stored::StayTop), c.on);
  }
}

TEST(ReadValueTextTest, EmptyGivesTheDefault) {
  FakeStore store;
  EXPECT_EQ(ReadValueText(store, stored::NetworkType), "");
  EXPECT_EQ(ReadValueText(store, stored::AllData), "?? ???, ????");
  EXPECT_EQ(ReadValueText(store, stored::Autostart), "");
  store.Set("AllData", "");
  EXPECT_EQ(ReadValueText(store, stored::AllData), "?? ???, ????");
  store.Set("AllData", " ");
  EXPECT_EQ(ReadValueText(store, stored::AllData), " ");
  store.Set("Zorvane Pelliton", "C:\\P\\Pelliton.exe", kRun);
  EXPECT_EQ(ReadValueText(store, stored::Autostart), "C:\\P\\Pelliton.exe");
}

TEST(ReadersTest, PassOnTheStoresTypeError) {
  FakeStore store;
  store.wrongType = {"FontSize", "StayTop", "AllData"};
  const std::string message = "store: Invalid data type for 'FontSize'";
  EXPECT_EQ(Outcome([&] { return ReadValueNumber(store, stored::FontSize); }), message);
  EXPECT_EQ(Outcome([&] { return ReadValueFlag(store, stored::StayTop); }),
            "store: Invalid data type for 'StayTop'");
  EXPECT_EQ(Outcome([&] { return ReadValueText(store, stored::AllData).size(); }),
            "store: Invalid data type for 'AllData'");
}

TEST(WritersTest, WritePlainDecimalAndFlagTexts) {
  FakeStore store;
  WriteValueFlag(store, stored::FreezeOn, true);
  WriteValueFlag(store, stored::StayTop, false);
  WriteValueNumber(store, stored::TotalData, 4294967295);
  WriteValueNumber(store, stored::Seconds, 0);
  WriteValueNumber(store, stored::Color, -1);
  WriteValueNumber(store, stored::Top, -2147483648LL);
  WriteValueNumber(store, stored::Left, 1234567);
  WriteValueText(store, stored::NetworkType, "Intel(R) PRO/1000");
  WriteValueText(store, stored::Autostart, "C:\\P\\Pelliton.exe");
  const std::string settings(kSettings);
  const std::vector<FakeStore::Write> expected = {
      {settings, "FreezeOn", "1"},
      {settings, "StayTop", "0"},
      {settings, "TotalData", "4294967295"},
      {settings, "Seconds", "0"},
      {settings, "Color", "-1"},
      {settings, "Top", "-2147483648"},
      {settings, "Left", "1234567"},
      {settings, "NetworkType", "Intel(R) PRO/1000"},
      {std::string(kRun), "Zorvane Pelliton", "C:\\P\\Pelliton.exe"},
  };
  EXPECT_EQ(store.writes, expected);
}

TEST(WritersTest, WrittenNumbersReadBack) {
  FakeStore store;
  for (const std::int64_t v : {0LL, 1LL, 65535LL, 4294967295LL}) {
    WriteValueNumber(store, stored::TotalData, v);
    EXPECT_EQ(ReadValueNumber(store, stored::TotalData), v);
  }
  for (const std::int64_t v : {-2147483648LL, -1LL, 0LL, 2147483647LL}) {
    WriteValueNumber(store, stored::Color, v);
    EXPECT_EQ(ReadValueNumber(store, stored::Color), v);
  }
}

TEST(WritersTest, PassOnAFailedWrite) {
  FakeStore store;
  store.failingWrites = {"TotalData"};
  try {
    WriteValueNumber(store, stored::TotalData, 5);
    FAIL() << "no error";
  } catch (const RegistryError& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'TotalData'");
  }
}

}  // namespace
}  // namespace pelliton
