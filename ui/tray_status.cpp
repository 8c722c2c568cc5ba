#include "ui/tray_status.h"

#include <algorithm>
#include <utility>

#include "metering/plan/allowance.h"
#include "metering/plan/plan_figures.h"
#include "metering/plan/plan_view.h"

namespace pelliton {

namespace {

constexpr std::string_view kBetweenTexts = " | ";
constexpr std::string_view kCut = "...";

void Furthest(std::optional<std::uint64_t>& percent, std::uint64_t usedKB, std::uint32_t capMB) {
  if (capMB == 0) return;
  percent = std::max(percent.value_or(0), usedKB * 100 / AllowanceKB(capMB));
}

// How much of the allowance furthest along is used, in whole percent; nothing without one.
std::optional<std::uint64_t> FurthestPercent(const MeterState& state, const Allowance& main,
                                             const LocalDateTime& now) {
  std::optional<std::uint64_t> percent = UsedPercent(state.TotalDataKB, main);
  if (!PlanShown(state) || !state.PlanSet || !state.Plan) return percent;
  const PlanSettings& plan = *state.PlanSet;
  percent.reset();
  Furthest(percent, MainUsedKB(plan, *state.Plan), main.capMB);
  if (plan.hasWindow && plan.rule != OffPeakRule::Free)
    Furthest(percent, OffPeakUsedKB(plan, *state.Plan), plan.offPeakCapMB);
  if (const std::optional<std::int64_t> minute = LocalMinute(now))
    Furthest(percent, DailyUsedKB(plan, *state.Plan, DailyDay(plan, *minute)), plan.dailyCapMB);
  return percent;
}

}  // namespace

TrayStatus TrayStatusOf(const MeterState& state, const LocalDateTime& now, const Locale& locale) {
  const Allowance main = state.DataCap.value_or(Allowance{});
  std::string lines;
  for (const std::string& line : AllowanceLines(state, main, now, locale))
    lines.append(lines.empty() ? "" : "\n").append(line);
  if (!state.RouterNote.empty()) lines = state.RouterNote + (lines.empty() ? "" : "\n") + lines;
  const std::optional<std::uint64_t> percent = FurthestPercent(state, main, now);
  if (!percent) return {std::move(lines), std::nullopt};
  return {std::move(lines), percent, PlanGaugeLevel(state, main, now)};
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
