#pragma once

#include <cstdint>

namespace pelliton {

// Silver is the meter window's transparency key: text drawn in it would vanish, and with it
// every point of the window that takes the mouse. Such text is drawn one step redder.
inline constexpr std::int32_t kKeyColor = 0xC0C0C0;  // 0x00BBGGRR
inline constexpr std::int32_t kKeyColorStandIn = 0xC0C0C1;

constexpr std::int32_t VisibleTextColor(std::int32_t color) {
  return color == kKeyColor ? kKeyColorStandIn : color;
}

}  // namespace pelliton
