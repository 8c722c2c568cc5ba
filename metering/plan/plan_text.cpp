// The plan's lines for the dialog, the tip and the Usage History window, and the gauge.
#include <algorithm>
#include <limits>

#include "metering/base/data_quantity.h"
#include "metering/plan/allowance.h"
#include "metering/plan/cycle.h"
#include "metering/plan/plan_figures.h"
#include "metering/plan/plan_view.h"

namespace pelliton {

namespace {

struct Seen {
  PlanSettings settings;
  PlanFigures figures;
  std::uint32_t today = 0;  // the daily allowance's day on `now`
};

Seen SeenPlan(const MeterState& state, const LocalDateTime& now) {
  Seen seen{state.PlanSet.value_or(PlanSettings{}), state.Plan.value_or(PlanFigures{})};
  seen.figures.total = state.TotalDataKB;
  seen.figures.windowKB = std::min<std::uint64_t>(seen.figures.windowKB, state.TotalDataKB);
  if (const auto minute = LocalMinute(now)) seen.today = DailyDay(seen.settings, *minute);
  return seen;
}

std::string Quantity(std::uint64_t kilobytes, const Locale& locale) {
  constexpr std::uint64_t kLargest = std::numeric_limits<std::uint32_t>::max();
  return FormatDataQuantity(static_cast<std::uint32_t>(std::min(kilobytes, kLargest)),
                            locale.NumberSeparators());
}

std::string Of(std::uint64_t usedKB, std::uint32_t capMB, const Locale& locale, bool percent) {
  std::string text = Quantity(usedKB, locale);
  if (capMB == 0) return text;
  text += " of " + FormatAllowanceGB(capMB, locale.NumberSeparators().decimal) + " GB";
  if (percent) text += " (" + std::to_string(usedKB * 100 / AllowanceKB(capMB)) + " %)";
  return text;
}

bool HasOffPeakAllowance(const PlanSettings& s) {
  return s.hasWindow && s.rule != OffPeakRule::Free && s.offPeakCapMB != 0;
}

std::string OffPeakLine(const Seen& seen, const Locale& locale, bool percent) {
  const PlanSettings& s = seen.settings;
  std::string line = "Off-peak (" + FormatWindow(s) + "): ";
  if (s.rule == OffPeakRule::Free) return line + Quantity(seen.figures.windowKB, locale) + ", free";
  return line + Of(OffPeakUsedKB(s, seen.figures), s.offPeakCapMB, locale, percent);
}

std::string DailyLine(const Seen& seen, const Locale& locale) {
  const PlanSettings& s = seen.settings;
  return "Today: " + Of(DailyUsedKB(s, seen.figures, seen.today), s.dailyCapMB, locale, false) +
         " until " + FormatTimeOfDay(s.dailyResetHour * 60);
}

GaugeLevel Level(std::uint64_t usedKB, std::uint32_t capMB, int warningPercent) {
  if (capMB == 0) return GaugeLevel::Normal;
  const std::uint64_t cap = AllowanceKB(capMB);
  if (usedKB >= cap) return GaugeLevel::Whole;
  if (usedKB * 100 >= cap * static_cast<unsigned>(warningPercent)) return GaugeLevel::Warning;
  return GaugeLevel::Normal;
}

}  // namespace

bool PlanShown(const MeterState& state) {
  return state.PlanSet && (state.PlanSet->hasWindow || state.PlanSet->dailyCapMB != 0);
}

std::vector<std::string> PlanLines(const MeterState& state, const Allowance& main,
                                   const LocalDateTime& now, const Locale& locale) {
  const std::optional<CycleSpan> span = CurrentCycle(state, now, locale);
  if (!span) return {};
  const Seen seen = SeenPlan(state, now);
  const PlanSettings& s = seen.settings;
  std::vector<std::string> lines{"Used " + Quantity(state.TotalDataKB, locale) + " in all, day " +
                                 std::to_string(span->Day()) + " of " +
                                 std::to_string(span->Length()) + " of this cycle."};
  const auto pace = [&](std::uint64_t used, std::uint32_t capMB) {
    for (std::string& line : PaceLines(used, AllowanceKB(capMB), state, now, locale))
      lines.push_back(std::move(line));
  };
  const std::uint64_t mainUsed = MainUsedKB(s, seen.figures);
  lines.push_back("Main: " + Of(mainUsed, main.capMB, locale, true));
  if (main.capMB != 0) pace(mainUsed, main.capMB);
  if (s.hasWindow) {
    lines.push_back(OffPeakLine(seen, locale, true));
    if (HasOffPeakAllowance(s)) {
      const std::uint64_t used = OffPeakUsedKB(s, seen.figures);
      if (s.rule == OffPeakRule::OwnThenMain && used >= AllowanceKB(s.offPeakCapMB))
        lines.push_back("Used up: the rest counts toward the main allowance.");
      else
        pace(used, s.offPeakCapMB);
    }
  }
  if (s.dailyCapMB != 0) lines.push_back(DailyLine(seen, locale));
  return lines;
}

std::vector<std::string> AllowanceLines(const MeterState& state, const Allowance& main,
                                        const LocalDateTime& now, const Locale& locale) {
  if (!PlanShown(state)) {
    std::string summary = AllowanceSummary(state, main, now, locale);
    if (summary.empty()) return {};
    return {std::move(summary)};
  }
  const Seen seen = SeenPlan(state, now);
  std::vector<std::string> lines;
  if (main.capMB != 0)
    lines.push_back("Main: " + Of(MainUsedKB(seen.settings, seen.figures), main.capMB, locale, true));
  if (seen.settings.hasWindow) lines.push_back(OffPeakLine(seen, locale, false));
  if (seen.settings.dailyCapMB != 0) lines.push_back(DailyLine(seen, locale));
  return lines;
}

GaugeLevel PlanGaugeLevel(const MeterState& state, const Allowance& main,
                          const LocalDateTime& now) {
  const Seen seen = SeenPlan(state, now);
  const PlanSettings& s = seen.settings;
  GaugeLevel level = Level(MainUsedKB(s, seen.figures), main.capMB, main.warningPercent);
  if (HasOffPeakAllowance(s))
    level = std::max(level, Level(OffPeakUsedKB(s, seen.figures), s.offPeakCapMB,
                                  s.offPeakWarningPercent));
  return std::max(level, Level(DailyUsedKB(s, seen.figures, seen.today), s.dailyCapMB,
                               s.dailyWarningPercent));
}

}  // namespace pelliton
