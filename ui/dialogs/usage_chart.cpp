#include "ui/dialogs/usage_chart.h"

#include <algorithm>
#include <array>
#include <limits>

#include "metering/base/data_quantity.h"

namespace pelliton {

namespace {

constexpr std::uint64_t kUnits[] = {1, 1024, 1024 * 1024};  // KB, MB, GB
constexpr std::array<std::uint64_t, 3> kMantissas = {1, 2, 5};
// Bars fill this share of their slot, so that neighbours stand apart.
constexpr int kBarPercent = 70;
// An empty chart's axis reaches 1 MB; no value is taken above 2^50 KB, so that no step
// overflows, whatever a record holds.
constexpr std::uint64_t kEmptyAxisKB = 1024;
constexpr std::uint64_t kLargestValueKB = std::uint64_t{1} << 50;

std::uint64_t Largest(const ChartInput& input) {
  std::uint64_t largest = input.pacePerSlotKB;
  for (const std::optional<UsageStack>& slot : input.slots)
    if (slot) largest = std::max(largest, slot->TotalKB());
  return largest == 0 ? kEmptyAxisKB : std::min(largest, kLargestValueKB);
}

// The y of a value on an axis whose top is `topKB`; values beyond the top stay at the top.
int ValueY(std::uint64_t kb, std::uint64_t topKB, ChartRect area) {
  const std::uint64_t clamped = std::min(kb, topKB);
  const auto rise = static_cast<double>(clamped) * area.height / static_cast<double>(topKB);
  return area.Bottom() - static_cast<int>(rise + 0.5);
}

std::string QuantityText(std::uint64_t kb, Separators separators) {
  const std::uint64_t most = std::numeric_limits<std::uint32_t>::max();
  return FormatDataQuantity(static_cast<std::uint32_t>(std::min(kb, most)), separators);
}

std::uint64_t SaturatingSum(std::uint64_t a, std::uint64_t b) {
  return b > ~std::uint64_t{0} - a ? ~std::uint64_t{0} : a + b;
}

}  // namespace

std::uint64_t UsageStack::TotalKB() const {
  const std::uint64_t counted = SaturatingSum(downKB, upKB);
  if (correctionKB >= 0) return SaturatingSum(counted, static_cast<std::uint64_t>(correctionKB));
  const std::uint64_t less = 0 - static_cast<std::uint64_t>(correctionKB);
  return counted > less ? counted - less : 0;
}

std::uint64_t AxisStepKB(std::uint64_t largestKB, int maxSteps) {
  const std::uint64_t steps = static_cast<std::uint64_t>(std::max(maxSteps, 1));
  const std::uint64_t largest = std::clamp<std::uint64_t>(largestKB, 1, kLargestValueKB);
  std::uint64_t step = 0;
  // A step of KB (or MB) whose lines reach 1024 of them would label some in the next unit
  // with odd hundredths; a quarter or a half of MB or GB reads round in two decimals.
  auto fits = [&](std::uint64_t candidate, std::size_t unit) {
    step = candidate;
    const std::uint64_t count = (largest + step - 1) / step;
    const bool last = unit + 1 == std::size(kUnits);
    return count <= steps && (last || count * step < 1024 * kUnits[unit]);
  };
  for (std::size_t unit = 0; unit < std::size(kUnits); ++unit) {
    const bool last = unit + 1 == std::size(kUnits);
    if (unit > 0 && (fits(kUnits[unit] / 4, unit) || fits(kUnits[unit] / 2, unit))) return step;
    for (std::uint64_t power = 1; last || power < 1000; power *= 10) {
      for (const std::uint64_t mantissa : kMantissas)
        if (fits(mantissa * power * kUnits[unit], unit)) return step;
    }
  }
  return step;
}

ChartLayout LayoutChart(const ChartInput& input, ChartRect area, ChartSpacing spacing,
                        Separators separators) {
  ChartLayout layout;
  const int maxSteps = std::max(1, area.height / std::max(spacing.tickPixels, 1));
  const std::uint64_t largest = Largest(input);
  const std::uint64_t step = AxisStepKB(largest, maxSteps);
  layout.axisTopKB = (largest + step - 1) / step * step;
  for (std::uint64_t kb = 0; kb <= layout.axisTopKB; kb += step)
    layout.ticks.push_back({ValueY(kb, layout.axisTopKB, area), QuantityText(kb, separators)});
  if (input.pacePerSlotKB > 0) layout.paceY = ValueY(input.pacePerSlotKB, layout.axisTopKB, area);

  const std::size_t count = input.slots.size();
  if (count == 0 || area.width <= 0) return layout;
  const double slotWidth = static_cast<double>(area.width) / static_cast<double>(count);
  const int barWidth = std::max(1, static_cast<int>(slotWidth * kBarPercent / 100));
  const auto every = static_cast<std::size_t>(
      std::max(1.0, static_cast<double>(std::max(spacing.labelPixels, 1)) / slotWidth + 0.999));
  for (std::size_t i = 0; i < count; ++i) {
    const double slotLeft = area.left + slotWidth * static_cast<double>(i);
    const int centre = static_cast<int>(slotLeft + slotWidth / 2);
    if (i % every == 0 && i < input.slotLabels.size())
      layout.labels.push_back({centre, input.slotLabels[i]});
    const std::optional<UsageStack>& slot = input.slots[i];
    if (!slot || slot->TotalKB() == 0) continue;
    const std::uint64_t total = slot->TotalKB();
    const std::uint64_t down = std::min(slot->downKB, total);
    const std::uint64_t counted = std::min(SaturatingSum(slot->downKB, slot->upKB), total);
    layout.bars.push_back({i, centre - barWidth / 2, barWidth,
                           ValueY(total, layout.axisTopKB, area),
                           ValueY(counted, layout.axisTopKB, area),
                           ValueY(down, layout.axisTopKB, area), area.Bottom(),
                           ValueY(std::min(slot->offPeakKB, counted), layout.axisTopKB, area)});
  }
  return layout;
}

std::optional<std::size_t> SlotAt(ChartRect area, std::size_t slotCount, int x) {
  if (slotCount == 0 || area.width <= 0 || x < area.left || x >= area.Right()) return std::nullopt;
  const auto offset = static_cast<std::uint64_t>(x - area.left);
  return static_cast<std::size_t>(offset * slotCount / static_cast<std::uint64_t>(area.width));
}

}  // namespace pelliton
