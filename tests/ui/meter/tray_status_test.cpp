#include "ui/tray_status.h"

#include <gtest/gtest.h>

#include <string>

#include "fakes/fake_platform.h"

namespace pelliton::testing {
namespace {

TEST(TrayTip, ShowsTheTextsAndTheAllowanceWithinTheLimit) {
  const std::string long1(60, '1'), long2(60, '2');
  const struct {
    const char* what;
    std::string label1, label2, allowance;
    std::size_t limit;
    std::string tip;
  } cases[] = {
      {"no allowance", "12.34 GB", "6/s", "", 127, "12.34 GB | 6/s | 01:23"},
      {"with one", "12.34 GB", "6/s", "24 % of 50 GB, 22 days left", 127,
       "12.34 GB | 6/s | 01:23\n24 % of 50 GB, 22 days left"},
      {"exactly the limit", "12.34 GB", "6/s", "24 %", 27, "12.34 GB | 6/s | 01:23\n24 %"},
      {"the allowance goes first", "12.34 GB", "6/s", "24 %", 26, "12.34 GB | 6/s | 01:23"},
      {"the texts cut", long1, long2, "24 %", 127, long1 + " | " + long2 + " ..."},
      {"a tiny limit", "12.34 GB", "6/s", "", 2, ".."},
  };
  for (const auto& c : cases) {
    const std::string tip = TrayTip(c.label1, c.label2, "01:23", c.allowance, c.limit);
    EXPECT_EQ(tip, c.tip) << c.what;
    EXPECT_LE(tip.size(), c.limit) << c.what;
  }
}

TEST(TrayPictureOf, FillsTheGaugeAsFarAsTheAllowanceIsUsed) {
  const struct {
    std::optional<std::uint64_t> percent;
    TrayPicture picture;
  } cases[] = {
      {std::nullopt, {.color = 65280}},
      {0, {.gauge = true, .color = 65280}},
      {49, {.gauge = true, .filledRows = 6, .color = 65280}},
      {50, {.gauge = true, .filledRows = 7, .color = 65280}},
      {99, {.gauge = true, .filledRows = 13, .color = 65280}},
      {100, {.gauge = true, .filledRows = 14, .full = true, .color = 65280}},
      {250, {.gauge = true, .filledRows = 14, .full = true, .color = 65280}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TrayPictureOf({"", c.percent}, 65280, 14), c.picture)
        << (c.percent ? std::to_string(*c.percent) : "none");
  }
}

// 8 Dec 2026, billing day 1: the cycle has 31 days, 23 of them after today.
TEST(TrayStatusOf, TellsTheShareOfTheAllowanceAndTheDaysLeft) {
  FakeLocale locale;
  MeterState state;
  state.CycleDay = 1;
  state.TotalDataKB = 12 * 1024 * 1024;  // 12 GB
  const LocalDateTime now = FakeClock().Now();
  EXPECT_EQ(TrayStatusOf(state, now, locale), TrayStatus{});
  state.DataCap = Allowance{0, 80, 0};
  EXPECT_EQ(TrayStatusOf(state, now, locale), TrayStatus{});
  state.DataCap = Allowance{51200, 80, 0};  // 50 GB
  EXPECT_EQ(TrayStatusOf(state, now, locale), (TrayStatus{"24 % of 50 GB, 23 days left", 24}));
  state.DataCap = Allowance{10240, 80, 0};
  EXPECT_EQ(TrayStatusOf(state, now, locale), (TrayStatus{"120 % of 10 GB, 23 days left", 120}));
}

}  // namespace
}  // namespace pelliton::testing
