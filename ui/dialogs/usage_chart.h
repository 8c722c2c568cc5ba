#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "metering/base/locale.h"

namespace pelliton {

// The geometry of the usage window's bar charts, in the window's pixels, apart from any
// drawing: the charts draw what this computes. KB are 1024 bytes.

// One bar's parts: download below, upload stacked on it, and a correction of the cycle's
// total on top (one below zero takes the bar down from its top, upload first).
struct UsageStack {
  std::uint64_t downKB = 0;
  std::uint64_t upKB = 0;
  std::int64_t correctionKB = 0;
  // The part of download and upload counted in the off-peak hours, drawn apart at the bottom.
  std::uint64_t offPeakKB = 0;
  // Never below zero, and saturating whatever a record holds.
  std::uint64_t TotalKB() const;
};

struct ChartRect {
  int left = 0, top = 0, width = 0, height = 0;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
};

// What a chart shows: one slot per day (or hour), a slot without data shows no bar; `pacePerSlotKB`
// draws the even pace of an allowance across the chart (0: none).
struct ChartInput {
  std::vector<std::optional<UsageStack>> slots;
  std::vector<std::string> slotLabels;  // under each slot, as room allows
  std::uint64_t pacePerSlotKB = 0;
  // The slots drawn apart behind their bars: the hours of the off-peak window.
  std::vector<bool> offPeakSlots;
};

// How close the value axis's lines and the labels under the slots may come, in pixels.
struct ChartSpacing {
  int tickPixels = 30;
  int labelPixels = 24;
};

struct AxisTick {
  int y = 0;
  std::string label;  // the data quantity text of the line's value
};

// A bar of slot `slot`: download from `bottom` up to `downTop`, upload from there to `upTop`,
// a correction from there to `top`; the off-peak part from `bottom` up to `offPeakTop`.
struct ChartBar {
  std::size_t slot = 0;
  int left = 0, width = 0;
  int top = 0, upTop = 0, downTop = 0, bottom = 0;
  int offPeakTop = 0;
};

struct SlotLabel {
  int centre = 0;  // x of the slot's middle
  std::string text;
};

struct ChartLayout {
  std::uint64_t axisTopKB = 0;  // the value at the area's top
  std::vector<AxisTick> ticks;  // from 0 up
  std::vector<ChartBar> bars;
  std::vector<SlotLabel> labels;
  std::optional<int> paceY;
};

// The round step of the value axis for the largest value `largestKB` and at most `maxSteps`
// steps: 1, 2 or 5 times a power of ten of KB, MB or GB, chosen so that each line's value
// reads as a round figure in the data quantity text.
std::uint64_t AxisStepKB(std::uint64_t largestKB, int maxSteps);

ChartLayout LayoutChart(const ChartInput& input, ChartRect area, ChartSpacing spacing,
                        Separators separators);

// The slot under a mouse x, if any.
std::optional<std::size_t> SlotAt(ChartRect area, std::size_t slotCount, int x);

}  // namespace pelliton
