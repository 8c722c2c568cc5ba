#include "ui/placement.h"

#include <algorithm>
#include <limits>

namespace pelliton {

namespace {

std::int32_t Saturated(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

ScreenRect MonitorOfWindow(const MeterWindow& window, const Application& app) {
  const std::int64_t left = window.Left();
  const std::int64_t top = window.Top();
  return app.MonitorOf({window.Left(), window.Top(), Saturated(left + window.Width()),
                        Saturated(top + window.Height())});
}

}  // namespace

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

WindowPosition ClampOnRelease(WindowPosition position, const ScreenRect& monitor,
                              bool leftButton) {
  // Relative to the monitor's top-left corner, and back; 64-bit, as above.
  const std::int64_t left = position.left;
  const std::int64_t top = position.top;
  const WindowPosition relative{Saturated(left - monitor.left), Saturated(top - monitor.top)};
  const WindowPosition clamped =
      ClampOnRelease(relative, Saturated(std::int64_t{monitor.right} - monitor.left),
                     Saturated(std::int64_t{monitor.bottom} - monitor.top), leftButton);
  return {Saturated(std::int64_t{clamped.left} + monitor.left),
          Saturated(std::int64_t{clamped.top} + monitor.top)};
}

bool OffScreen(WindowPosition position, std::int32_t width, std::int32_t height,
               std::int32_t screenWidth, std::int32_t screenHeight) {
  return OffScreen(position, width, height, {0, 0, screenWidth, screenHeight});
}

bool OffScreen(WindowPosition position, std::int32_t width, std::int32_t height,
               const ScreenRect& monitor) {
  const std::int64_t left = position.left;
  const std::int64_t top = position.top;
  return left + width <= monitor.left || left >= monitor.right || top + height <= monitor.top ||
         top >= monitor.bottom;
}

void ClampWindow(MeterWindow& window, const Application& app, bool leftButton) {
  const WindowPosition before{window.Left(), window.Top()};
  const WindowPosition after = ClampOnRelease(before, MonitorOfWindow(window, app), leftButton);
  if (after.left != before.left) window.SetLeft(after.left);
  if (after.top != before.top) window.SetTop(after.top);
}

void BringBackOnScreen(MeterWindow& window, const Application& app) {
  if (OffScreen({window.Left(), window.Top()}, window.Width(), window.Height(),
                MonitorOfWindow(window, app))) {
    ClampWindow(window, app, true);
  }
}

LabelTops LabelTopsFor(std::uint8_t fontSize) {
  const int size = fontSize;
  return {(size - 16) / 2, size - 4};  // the quotient truncated toward zero
}

}  // namespace pelliton
