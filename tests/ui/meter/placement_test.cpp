#include "ui/placement.h"

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
      {kRight, {W + 100, 100}, {W + 100, 100}},      {kRight, {2 * W - 200, 300}, {2 * W - 260, 300}},
      {kRight, {2 * W - 300, 16}, {2 * W - 310, 16}}, {kRight, {W - 15, 900}, {W, H - 60}},
      {kLeft, {-200, -300}, {-310, -200}},           {kLeft, {2147483647, 0}, {-260, 0}},
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

}  // namespace
}  // namespace pelliton
