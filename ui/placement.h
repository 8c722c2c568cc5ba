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

// Whether a window of the given size at `position` has no pixel on a screen of the given size.
bool OffScreen(WindowPosition position, std::int32_t width, std::int32_t height,
               std::int32_t screenWidth, std::int32_t screenHeight);

// Moves the meter window where ClampOnRelease puts it on the primary screen, the left edge
// first; a coordinate that stays is not set again. Nothing is stored.
void ClampWindow(MeterWindow& window, const Application& app, bool leftButton);

// At start-up: a window that its stored position leaves wholly off the primary screen (after
// a monitor was unplugged or the resolution dropped) is placed as a left-button release there
// would place it; one partly on the screen stays where it is.
void BringBackOnScreen(MeterWindow& window, const Application& app);

// Vertical positions of the small labels for a big-figure size in points.
struct LabelTops {
  int label2 = 0;
  int label3 = 0;
};
LabelTops LabelTopsFor(std::uint8_t fontSize);

}  // namespace pelliton
