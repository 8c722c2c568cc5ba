#pragma once

#include <cstdint>

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

// Vertical positions of the small labels for a big-figure size in points.
struct LabelTops {
  int label2 = 0;
  int label3 = 0;
};
LabelTops LabelTopsFor(std::uint8_t fontSize);

}  // namespace pelliton
