// The warnings of the off-peak and the daily allowance.
#include <algorithm>
#include <limits>
#include <vector>

#include "metering/base/data_quantity.h"
#include "metering/plan/allowance.h"
#include "metering/plan/plan_usage.h"
#include "metering/plan/plan_view.h"
#include "store/catalogue.h"

namespace pelliton {

namespace {

// "PlanWarned": the off-peak level and whole allowance, then the daily ones.
constexpr unsigned kOffPeakLevel = 1;
constexpr unsigned kOffPeakWhole = 2;
constexpr unsigned kDailyLevel = 4;
constexpr unsigned kDailyWhole = 8;

struct Watched {
  std::string_view title;
  std::uint64_t usedKB = 0;
  std::uint32_t capMB = 0;
  int warningPercent = 80;
  unsigned level = 0, whole = 0;  // its bits in "PlanWarned"
  std::string who, whose, span;   // the text's subject, its possessive and its time left
  bool spills = false;            // its rest counts toward the main allowance
};

bool Reached(std::uint64_t usedKB, std::uint32_t capMB, int percent) {
  return usedKB * 100 >= AllowanceKB(capMB) * static_cast<unsigned>(percent);
}

std::string Text(const Watched& w, unsigned warning, const Locale& locale) {
  const Separators separators = locale.NumberSeparators();
  const std::string cap = FormatAllowanceGB(w.capMB, separators.decimal) + " GB";
  const std::string used = warning == w.level
                               ? std::to_string(w.warningPercent) + "% of " + w.whose + " "
                               : w.whose + " whole ";
  const std::uint64_t shown =
      std::min<std::uint64_t>(w.usedKB, std::numeric_limits<std::uint32_t>::max());
  std::string text = w.who + " used " + used + cap + " allowance: " +
                     FormatDataQuantity(static_cast<std::uint32_t>(shown), separators) + ", " +
                     w.span + ".";
  if (warning == w.whole && w.spills) text += " The rest counts toward the main allowance.";
  return text;
}

std::vector<Watched> WatchedAllowances(MeterContext& meter, const LocalDateTime& now) {
  MeterState& state = meter.state;
  const PlanSettings& s = KnownPlanSettings(state, meter.store);
  std::vector<Watched> watched;
  if (s.hasWindow && s.rule != OffPeakRule::Free && s.offPeakCapMB != 0) {
    const int left = CycleDaysLeft(state, now, meter.locale);
    watched.push_back({kOffPeakAllowanceTitle, OffPeakAllowanceUsedKB(state, meter.store),
                       s.offPeakCapMB, s.offPeakWarningPercent, kOffPeakLevel, kOffPeakWhole,
                       "The off-peak hours (" + FormatWindow(s) + ") have", "their",
                       "with " + std::to_string(left) + (left == 1 ? " day" : " days") + " left",
                       s.rule == OffPeakRule::OwnThenMain});
  }
  if (s.dailyCapMB != 0) {
    watched.push_back({kDailyAllowanceTitle, DailyAllowanceUsedKB(state, meter.store, now),
                       s.dailyCapMB, s.dailyWarningPercent, kDailyLevel, kDailyWhole,
                       "Today has", "its", "until " + FormatTimeOfDay(s.dailyResetHour * 60)});
  }
  return watched;
}

unsigned ReadWarned(SettingsStore& store) noexcept {
  try {
    return static_cast<unsigned>(ReadValueNumber(store, stored::PlanWarned));
  } catch (...) {
    return 0;
  }
}

}  // namespace

void WatchPlan(MeterContext& meter, const LocalDateTime& now) noexcept {
  try {
    MeterState& state = meter.state;
    const std::vector<Watched> watched = WatchedAllowances(meter, now);
    if (!state.PlanWarned) state.PlanWarned = ReadWarned(meter.store);
    unsigned warned = *state.PlanWarned;
    std::vector<std::pair<const Watched*, unsigned>> due;
    for (const Watched& w : watched) {
      // A mark the figure does not bear out (a new cycle or day, a raised allowance, a
      // correction): the warning may come again.
      if (!Reached(w.usedKB, w.capMB, w.warningPercent)) warned &= ~w.level;
      if (!Reached(w.usedKB, w.capMB, 100)) warned &= ~w.whole;
      for (unsigned bit : {w.level, w.whole}) {
        const int percent = bit == w.level ? w.warningPercent : 100;
        if ((warned & bit) == 0 && Reached(w.usedKB, w.capMB, percent)) {
          warned |= bit;
          due.emplace_back(&w, bit);
        }
      }
    }
    if (warned == *state.PlanWarned) return;
    // Marked first: a warning the store cannot remember is not shown, rather than shown on
    // every tick.
    WriteValueNumber(meter.store, stored::PlanWarned, warned);
    if (ReadWarned(meter.store) != warned) return;
    state.PlanWarned = warned;
    for (const auto& [w, bit] : due)
      meter.view.PostWarning(w->title, Text(*w, bit, meter.locale));
  } catch (...) {  // the counting goes on without the warning
  }
}

}  // namespace pelliton
