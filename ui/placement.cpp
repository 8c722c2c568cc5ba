#include "ui/placement.h"

namespace pelliton {

WindowPosition ClampOnRelease(WindowPosition position, std::int32_t screenWidth,
                              std::int32_t screenHeight, bool leftButton) {
  // 64-bit so that no stored position, however absurd, overflows a comparison.
  const std::int64_t width = screenWidth;
  const std::int64_t height = screenHeight;
  const std::int64_t left = position.left;
  const std::int64_t top = position.top;
  std::int64_t newLeft = left;
  std::int64_t newTop = top;
  if (leftButton) {
    if (left > width - 310 && top < 17) {
      newLeft = width - 310;
    } else if (left > width - 260) {
      newLeft = width - 260;
    }
  }
  if (newLeft < -14) newLeft = 0;  // to 0, not to -14
  if (newTop > height - 60) newTop = height - 60;
  if (newTop < 0) newTop = 0;
  return {static_cast<std::int32_t>(newLeft), static_cast<std::int32_t>(newTop)};
}

bool OffScreen(WindowPosition position, std::int32_t width, std::int32_t height,
               std::int32_t screenWidth, std::int32_t screenHeight) {
  const std::int64_t left = position.left;
  const std::int64_t top = position.top;
  return left + width <= 0 || left >= screenWidth || top + height <= 0 || top >= screenHeight;
}

void ClampWindow(MeterWindow& window, const Application& app, bool leftButton) {
  const WindowPosition before{window.Left(), window.Top()};
  const WindowPosition after =
      ClampOnRelease(before, app.ScreenWidth(), app.ScreenHeight(), leftButton);
  if (after.left != before.left) window.SetLeft(after.left);
  if (after.top != before.top) window.SetTop(after.top);
}

void BringBackOnScreen(MeterWindow& window, const Application& app) {
  if (OffScreen({window.Left(), window.Top()}, window.Width(), window.Height(), app.ScreenWidth(),
                app.ScreenHeight())) {
    ClampWindow(window, app, true);
  }
}

LabelTops LabelTopsFor(std::uint8_t fontSize) {
  const int size = fontSize;
  return {(size - 16) / 2, size - 4};  // the quotient truncated toward zero
}

}  // namespace pelliton
