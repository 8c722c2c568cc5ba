#include "ui/tray_status.h"

#include <gtest/gtest.h>

namespace pelliton::testing {
namespace {

TEST(TrayTip, ShowsTheTextsAndTheAllowanceWithinTheLimit) {
  const std::string texts = "12.34 GB | 6/s | 01:23", long1(60, '1'), long2(60, '2');
  const struct {
    std::string label1, label2, allowance;
    std::size_t limit;
    std::string tip;
  } cases[] = {
      {"12.34 GB", "6/s", "", 127, texts},
      {"12.34 GB", "6/s", "24 % of 50 GB, 22 days left", 127,
       texts + "\n24 % of 50 GB, 22 days left"},
      {"12.34 GB", "6/s", "24 %", 27, texts + "\n24 %"},  // exactly the limit
      {"12.34 GB", "6/s", "24 %", 26, texts},             // the allowance line goes first
      {long1, long2, "24 %", 127, long1 + " | " + long2 + " ..."},
      {"12.34 GB", "6/s", "", 2, ".."},
      {"12.34 GB", "6/s", "Main: 24 %\nToday: 90 %", 127, texts + "\nMain: 24 %\nToday: 90 %"},
      {"12.34 GB", "6/s", "Main: 24 %\nToday: 90 %", 36, texts + "\nMain: 24 %"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TrayTip(c.label1, c.label2, "01:23", c.allowance, c.limit), c.tip) << c.limit;
}

TEST(TrayPictureOf, FillsTheGaugeAsFarAsTheAllowanceIsUsed) {
  const struct {
    std::optional<std::uint64_t> percent;
    TrayPicture picture;
  } cases[] = {
      {std::nullopt, {.color = 255}},
      {49, {.gauge = true, .filledRows = 6, .color = 255}},
      {99, {.gauge = true, .filledRows = 13, .color = 255}},
      {250, {.gauge = true, .filledRows = 14, .level = GaugeLevel::Whole, .color = 255}},
      {85, {.gauge = true, .filledRows = 11, .level = GaugeLevel::Warning, .color = 255}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(TrayPictureOf({"", c.percent, c.picture.level}, 255, 14), c.picture);
}

}  // namespace
}  // namespace pelliton::testing
