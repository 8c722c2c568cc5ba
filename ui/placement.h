#pragma once

#include <cstdint>

#include "ui/meter_window.h"

namespace pelliton {

struct WindowPosition {
  std::int32_t left = 0;
  std::int32_t top = 0;
  bool operator==(const WindowPosition&) const = default;
};

// Where a mouse release on the big figure leaves the meter window on a screen of the given
// size: pulled back inside fixed margins. Only a left-button release also applies the right
// margin (tighter in the top strip, where the window starts). The margins are plain pixels.
WindowPosition ClampOnRelease(WindowPosition position, std::int32_t screenWidth,
                              std::int32_t screenHeight, bool leftButton);
// The same margins on one monitor of the desktop, relative to its rectangle.
WindowPosition ClampOnRelease(WindowPosition position, const ScreenRect& monitor,
                              bool leftButton);

// Whether a window of the given size at `position` has no pixel on a screen of the given size.
bool OffScreen(WindowPosition position, std::int32_t width, std::int32_t height,
               std::int32_t screenWidth, std::int32_t screenHeight);
// Whether it has no pixel on `monitor`.
bool OffScreen(WindowPosition position, std::int32_t width, std::int32_t height,
               const ScreenRect& monitor);

// Moves the meter window where ClampOnRelease puts it on the monitor it is on (the nearest
// one when it is on none), the left edge first; a coordinate that stays is not set again.
// Nothing is stored.
void ClampWindow(MeterWindow& window, const Application& app, bool leftButton);

// At start-up: a window that its stored position leaves wholly off every monitor (one
// unplugged, a lower resolution) is placed as a left-button release on the nearest monitor
// would place it; one partly on a monitor stays where it is.
void BringBackOnScreen(MeterWindow& window, const Application& app);

// Vertical positions of the small labels for a big-figure size in points.
struct LabelTops {
  int label2 = 0;
  int label3 = 0;
};
LabelTops LabelTopsFor(std::uint8_t fontSize);

}  // namespace pelliton
