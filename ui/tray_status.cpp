#include "ui/tray_status.h"

#include <algorithm>
#include <utility>

#include "metering/plan/allowance.h"

namespace pelliton {

namespace {

constexpr std::string_view kBetweenTexts = " | ";
constexpr std::string_view kCut = "...";

}  // namespace

TrayStatus TrayStatusOf(const MeterState& state, const LocalDateTime& now, const Locale& locale) {
  if (!state.DataCap || state.DataCap->capMB == 0) return {state.RouterNote, std::nullopt};
  std::string lines = AllowanceSummary(state, *state.DataCap, now, locale);
  if (!state.RouterNote.empty()) lines = state.RouterNote + "\n" + lines;
  const std::optional<std::uint64_t> percent = UsedPercent(state.TotalDataKB, *state.DataCap);
  const GaugeLevel level = !percent                          ? GaugeLevel::Normal
                           : *percent >= 100                 ? GaugeLevel::Whole
                           : *percent >= static_cast<std::uint64_t>(state.DataCap->warningPercent)
                               ? GaugeLevel::Warning
                               : GaugeLevel::Normal;
  return {std::move(lines), percent, level};
}

std::string TrayTip(std::string_view label1, std::string_view label2, std::string_view label3,
                    std::string_view allowanceLine, std::size_t limit) {
  std::string tip;
  tip.append(label1).append(kBetweenTexts).append(label2).append(kBetweenTexts).append(label3);
  if (tip.size() > limit) {
    if (limit < kCut.size()) return std::string(kCut.substr(0, limit));
    return tip.substr(0, limit - kCut.size()).append(kCut);
  }
  while (!allowanceLine.empty()) {
    const std::string_view line = allowanceLine.substr(0, allowanceLine.find('\n'));
    if (tip.size() + 1 + line.size() > limit) break;
    tip.append("\n").append(line);
    allowanceLine.remove_prefix(std::min(line.size() + 1, allowanceLine.size()));
  }
  return tip;
}

TrayPicture TrayPictureOf(const TrayStatus& status, std::int32_t color, int rows) {
  if (!status.usedPercent) return {.color = color};
  const std::uint64_t percent = std::min<std::uint64_t>(*status.usedPercent, 100);
  const int filled =
      static_cast<int>(percent * static_cast<std::uint64_t>(std::max(rows, 0)) / 100);
  return {.gauge = true, .filledRows = filled, .level = status.level, .color = color};
}

}  // namespace pelliton
