#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>

#include "metering/base/locale.h"
#include "ui/dialogs/usage_chart.h"

namespace pelliton {

// The bar colours of the usage charts, also named in the legend.
inline constexpr COLORREF kDownloadColor = RGB(0x2E, 0x75, 0xB6);
inline constexpr COLORREF kUploadColor = RGB(0xED, 0x7D, 0x31);
inline constexpr COLORREF kCorrectionColor = RGB(0x70, 0xAD, 0x47);
inline constexpr COLORREF kPaceColor = RGB(0xC0, 0x00, 0x00);
// The off-peak part of a bar, and the off-peak hours behind the hour chart's bars.
inline constexpr COLORREF kOffPeakColor = RGB(0x1F, 0x3A, 0x6E);
inline constexpr COLORREF kOffPeakHoursColor = RGB(0xE4, 0xEC, 0xF7);

// What a chart asks of the window it is in.
class ChartOwner {
 public:
  virtual std::optional<ChartInput> Input(HWND chart) const = 0;
  virtual std::optional<std::size_t> Chosen(HWND chart) const = 0;
  virtual void ClickedSlot(std::size_t slot) = 0;
  // Left, Right, Page Up and Page Down on the chart that takes the focus.
  virtual void PressedKey(WPARAM key) = 0;

 protected:
  ~ChartOwner() = default;
};

struct ChartLook {
  HFONT font = nullptr;
  int dpi = 96;
  Separators separators;
  bool main = false;  // the day chart: a legend, the focus, the mouse and the keys
};

struct UsageChart {
  ChartLook look;
  ChartOwner* owner = nullptr;
};

// A child window that draws a bar chart with GDI through an off-screen bitmap (no flicker),
// in the system's colours for text and background. `chart` outlives the window. Throws when
// it cannot be created.
HWND CreateUsageChart(HWND parent, int id, UsageChart& chart);

}  // namespace pelliton
