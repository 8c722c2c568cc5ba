#include "ui/dpi_layout.h"

#include <cstdint>

namespace pelliton {

namespace {

constexpr int kLowestDpi = 24;     // a quarter of the layout's
constexpr int kHighestDpi = 1920;  // twenty times it
constexpr int kPointsPerInch = 72;

// The meter's form, in pixels at 96 DPI.
constexpr int kMeterWidth = 241;
constexpr int kMeterHeight = 38;
constexpr LayoutRect kLabel1{0, 0, 177, 38};
constexpr int kSmallLabelsLeft = 181;
constexpr int kSmallLabelWidth = 60;
constexpr int kSmallLabelHeight = 16;
constexpr int kSmallFontPoints = 8;
constexpr int kHitPadding = 2;

int Rounded(std::int64_t numerator, std::int64_t denominator) {
  const std::int64_t half = denominator / 2;
  const std::int64_t value =
      numerator >= 0 ? (numerator + half) / denominator : -((-numerator + half) / denominator);
  return static_cast<int>(value);
}

}  // namespace

bool UsableDpi(int dpi) {
  return dpi >= kLowestDpi && dpi <= kHighestDpi;
}

int Scaled(int pixelsAt96, int dpi) {
  return Rounded(std::int64_t{pixelsAt96} * dpi, kLayoutDpi);
}

LayoutRect Scaled(LayoutRect at96, int dpi) {
  return {Scaled(at96.left, dpi), Scaled(at96.top, dpi), Scaled(at96.width, dpi),
          Scaled(at96.height, dpi)};
}

int FontPixels(int points, int dpi) {
  return Rounded(std::int64_t{points} * dpi, kPointsPerInch);
}

MeterLayout MeterLayoutAt(int dpi, const MeterLook& look) {
  const auto small = [&](int top) {
    return Scaled(LayoutRect{kSmallLabelsLeft, top, kSmallLabelWidth, kSmallLabelHeight}, dpi);
  };
  return {Scaled(kMeterWidth, dpi),
          Scaled(kMeterHeight, dpi),
          {Scaled(kLabel1, dpi), small(look.label2Top), small(look.label3Top)},
          FontPixels(look.label1Points, dpi),
          FontPixels(kSmallFontPoints, dpi),
          Scaled(kHitPadding, dpi)};
}

int SmallIconSize(int dpi, int systemSize, int systemDpi) {
  if (systemSize <= 0) systemSize = 16;
  if (!UsableDpi(systemDpi)) systemDpi = kLayoutDpi;
  return Rounded(std::int64_t{systemSize} * dpi, systemDpi);
}

}  // namespace pelliton
