#include "ui/placement.h"

#include "ui/dpi_layout.h"

#include <gtest/gtest.h>

namespace pelliton {
namespace {

constexpr std::int32_t W = 1280;
constexpr std::int32_t H = 800;

struct ReleaseCase {
  const char* what;
  WindowPosition before;
  bool leftButton;
  WindowPosition after;
  std::int32_t height = H;
};

TEST(ClampOnRelease, PullsTheWindowBackInsideTheMargins) {
  const ReleaseCase cases[] = {
      {"inside: unchanged", {100, 100}, true, {100, 100}},
      {"top strip, past W-310", {W - 300, 16}, true, {W - 310, 16}},
      {"just below the top strip", {W - 300, 17}, true, {W - 300, 17}},
      {"below the strip, past W-260", {W - 200, 300}, true, {W - 260, 300}},
      {"in the strip, past W-260 too", {W - 200, 0}, true, {W - 310, 0}},
      {"exactly W-310 in the strip", {W - 310, 0}, true, {W - 310, 0}},
      {"exactly W-260 below", {W - 260, 100}, true, {W - 260, 100}},
      {"left -14 survives", {-14, 50}, true, {-14, 50}},
      {"left -15 goes to 0", {-15, 50}, true, {0, 50}},
      {"above the top", {100, -30}, true, {100, 0}},
      {"below the bottom margin", {100, H - 59}, true, {100, H - 60}},
      {"at the bottom margin", {100, H - 60}, true, {100, H - 60}},
      {"middle button: no right margin", {W - 100, 300}, false, {W - 100, 300}},
      {"middle button: other margins", {-20, -5}, false, {0, 0}},
      {"right button above the screen", {W + 500, -1}, false, {W + 500, 0}},
      // The strip test looks at Top before the vertical clamp: -30 is in the strip.
      {"strip decided before top clamp", {W - 290, -30}, true, {W - 310, 0}},
      {"tiny screen: top ends at 0", {10, 10}, true, {10, 0}, 40},
      {"absurd stored position", {2147483647, -2147483647 - 1}, true, {W - 310, 0}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClampOnRelease(c.before, W, c.height, c.leftButton), c.after) << c.what;
  }
}

TEST(OffScreen, OnlyAWindowWithNoPixelOnTheScreenIsOff) {
  const struct {
    WindowPosition at;
    bool off;
  } cases[] = {{{-240, 0}, false},  {{-241, 0}, true}, {{W - 1, 0}, false},
               {{W, 0}, true},      {{0, -37}, false}, {{0, -38}, true},
               {{0, H - 1}, false}, {{0, H}, true},    {{2147483647, -2147483647 - 1}, true}};
  for (const auto& c : cases) {
    EXPECT_EQ(OffScreen(c.at, 241, 38, W, H), c.off) << c.at.left << "," << c.at.top;
  }
}

// The same margins on a monitor right of the first and on one above left of it; off both.
TEST(ClampOnRelease, KeepsTheMarginsOfTheMonitorItIsOn) {
  constexpr ScreenRect kRight{W, 0, 2 * W, H}, kLeft{-W, -200, 0, H - 200};
  const struct {
    ScreenRect monitor;
    WindowPosition before, after;
  } cases[] = {
      {kRight, {W + 100, 100}, {W + 100, 100}},
      {kRight, {2 * W - 200, 300}, {2 * W - 260, 300}},
      {kRight, {2 * W - 300, 16}, {2 * W - 310, 16}},
      {kRight, {W - 15, 900}, {W, H - 60}},
      {kLeft, {-200, -300}, {-310, -200}},
      {kLeft, {2147483647, 0}, {-260, 0}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ClampOnRelease(c.before, c.monitor, true), c.after) << c.before.left;
  EXPECT_TRUE(OffScreen({W - 241, 100}, 241, 38, kRight));
  EXPECT_FALSE(OffScreen({W - 240, 100}, 241, 38, kRight));
}

TEST(LabelTopsFor, FollowTheBigFigureSize) {
  const struct {
    std::uint8_t size;
    int label2, label3;
  } cases[] = {{16, 0, 12},
               {17, 0, 13},
               {18, 1, 14},
               {19, 1, 15},
               {20, 2, 16},
               {21, 2, 17},
               {22, 3, 18},
               {23, 3, 19},
               {24, 4, 20},
               {25, 4, 21},
               {26, 5, 22},
               // Sizes only a hand-edited store gives: truncated toward zero.
               {0, -8, -4},
               {1, -7, -3},
               {255, 119, 251}};
  for (const auto& c : cases) {
    const LabelTops tops = LabelTopsFor(c.size);
    EXPECT_EQ(tops.label2, c.label2) << int{c.size};
    EXPECT_EQ(tops.label3, c.label3) << int{c.size};
  }
}

TEST(MeterLayoutAt, TheFormAtEachDpiAsAtStartUpThere) {
  using L = LayoutRect;
  const struct {
    int dpi;
    MeterLook look;
    MeterLayout layout;
  } cases[] = {
      {96, {}, {241, 38, {L{0, 0, 177, 38}, L{181, 5, 60, 16}, L{181, 22, 60, 16}}, 21, 11, 2}},
      {120, {}, {301, 48, {L{0, 0, 221, 48}, L{226, 6, 75, 20}, L{226, 28, 75, 20}}, 27, 13, 3}},
      {144, {}, {362, 57, {L{0, 0, 266, 57}, L{272, 8, 90, 24}, L{272, 33, 90, 24}}, 32, 16, 3}},
      {192, {}, {482, 76, {L{0, 0, 354, 76}, L{362, 10, 120, 32}, L{362, 44, 120, 32}}, 43, 21, 4}},
      // The options' big figure and tops, also a hand-edited store's, scale the same way.
      {144,
       {24, 2, 19},
       {362, 57, {L{0, 0, 266, 57}, L{272, 3, 90, 24}, L{272, 29, 90, 24}}, 48, 16, 3}},
      {120,
       {255, -8, -4},
       {301, 48, {L{0, 0, 221, 48}, L{226, -10, 75, 20}, L{226, -5, 75, 20}}, 425, 13, 3}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MeterLayoutAt(c.dpi, c.look), c.layout) << c.dpi;
}

TEST(DpiLayout, ScalesRoundsAndRefusesAbsurdDpis) {
  // A dialog's rectangle, a negative offset and the small icon, with or without the system's
  // figure for the DPI asked.
  const struct {
    int dpi;
    LayoutRect rect;
    int negative, icon, iconFromSystemAt120;
  } cases[] = {{96, {8, 8, 97, 89}, -3, 16, 16},
               {120, {10, 10, 121, 111}, -4, 20, 20},
               {144, {12, 12, 146, 134}, -5, 24, 24},
               {192, {16, 16, 194, 178}, -6, 32, 32}};
  for (const auto& c : cases) {
    EXPECT_EQ(Scaled(LayoutRect{8, 8, 97, 89}, c.dpi), c.rect) << c.dpi;
    EXPECT_EQ(Scaled(-3, c.dpi), c.negative) << c.dpi;
    EXPECT_EQ(SmallIconSize(c.dpi, 16, 96), c.icon) << c.dpi;
    EXPECT_EQ(SmallIconSize(c.dpi, 20, 120), c.iconFromSystemAt120) << c.dpi;
  }
  EXPECT_EQ(SmallIconSize(144, 0, 0), 24) << "no figure from the system";
  for (int dpi : {-96, 0, 23, 1921, 65535})
    EXPECT_FALSE(UsableDpi(dpi)) << dpi;
  for (int dpi : {24, 96, 1920})
    EXPECT_TRUE(UsableDpi(dpi)) << dpi;
}

}  // namespace
}  // namespace pelliton
