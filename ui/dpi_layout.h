#pragma once

#include <array>
#include <cstdint>

namespace pelliton {

// Layouts are drawn in pixels at 96 dots per inch and scaled to the DPI of the monitor that
// a window is on; a window that moves to a monitor of another DPI is laid out again at it.
inline constexpr int kLayoutDpi = 96;

// Whether a DPI that the system reports is one to lay out at; any other is ignored.
bool UsableDpi(int dpi);

// `pixelsAt96` at `dpi`, rounded to the nearest pixel, halves away from zero.
int Scaled(int pixelsAt96, int dpi);

// A rectangle of a layout: left, top, width, height.
struct LayoutRect {
  int left, top, width, height;
  bool operator==(const LayoutRect&) const = default;
};

LayoutRect Scaled(LayoutRect at96, int dpi);

// The character height in pixels of a font of `points` at `dpi` (a point is 1/72 inch).
int FontPixels(int points, int dpi);

// What the meter's form looks like apart from the DPI: the big figure's size in points and
// the tops of the two small labels, in pixels at 96 DPI.
struct MeterLook {
  std::uint8_t label1Points = 16;
  int label2Top = 5;
  int label3Top = 22;
};

// The meter's form at a DPI: its client area, the three labels and their fonts' character
// heights, and the padding of the boxes where the texts take the mouse.
struct MeterLayout {
  int clientWidth, clientHeight;
  std::array<LayoutRect, 3> labels;
  int label1FontPixels, smallFontPixels;
  int hitPadding;
  bool operator==(const MeterLayout&) const = default;
};

MeterLayout MeterLayoutAt(int dpi, const MeterLook& look);

// The side of a small icon at `dpi` where the system only tells it for its own DPI.
int SmallIconSize(int dpi, int systemSize, int systemDpi);

}  // namespace pelliton
