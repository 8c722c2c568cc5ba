#include "ui/tray_status.h"
#include "ui/tray_calls.h"

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

// Each step: at `ms`, the mouse on the icon, a call to the shell, or a tick asking.
TEST(TrayCalls, SendsTheTipWhileWatchedAndLetsTheShellGoWhenIdle) {
  enum Step { Mouse, Call, Tick };
  const struct {
    Step step;
    std::uint32_t ms;
    bool watched, release;  // what a tick asks and is told
  } steps[] = {
      {Tick, 0, false, false},        // nothing loaded, nothing watched
      {Call, 1000, false, false},     // the icon added
      {Tick, 10999, false, false},    // idle not long enough
      {Tick, 11000, false, true},     // the library goes, once
      {Tick, 13000, false, false},
      {Mouse, 20000, false, false},   // the mouse on it: watched from now on
      {Call, 20000, false, false},
      {Tick, 29999, true, false},     // the call 9.999 s ago keeps the library
      {Tick, 49999, true, true},      // still watched, 30 s long; no call for 29.999 s
      {Tick, 50000, false, false},    // no longer watched
      {Call, 50000, false, false},
      {Tick, 59999, false, false},
      {Tick, 60000, false, true},
      {Call, 0xFFFFF000u, false, false},  // the count wraps between a call and the tick
      {Tick, 0x00001000u, false, false},
      {Tick, 0x00002000u, false, true},
  };
  TrayCalls calls;
  for (const auto& s : steps) {
    if (s.step == Mouse) calls.MouseOn(s.ms);
    if (s.step == Call) calls.Called(s.ms);
    if (s.step != Tick) continue;
    EXPECT_EQ(calls.TipWatched(s.ms), s.watched) << s.ms;
    EXPECT_EQ(calls.ReleaseDue(s.ms), s.release) << s.ms;
  }
}

}  // namespace

}  // namespace pelliton::testing
