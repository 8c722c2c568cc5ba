#include "metering/plan/allowance.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <optional>

#include "metering/history/all_data.h"
#include "metering/plan/cycle.h"
#include "metering/plan/plan_usage.h"
#include "metering/plan/plan_view.h"
#include "metering/base/data_quantity.h"
#include "store/catalogue.h"

namespace pelliton {

namespace {

namespace chr = std::chrono;

constexpr std::uint64_t kKBPerMB = 1024;
constexpr std::uint64_t kLargestHundredthsGB = 409600;  // 4096 GB
constexpr double kSecondsPerDay = 86400;
// The first moments of a cycle say little about its pace: it is taken over an hour at least.
constexpr double kShortestPaceSeconds = 3600;

std::int64_t ReadForgiving(SettingsStore& store, const StoredValue& value) noexcept {
  try {
    return ReadValueNumber(store, value);
  } catch (...) {
    return value.defaultNumber;
  }
}

// The allowance in KB, at most what the total can reach (4096 GB is one KB more), so that
// a total stopped at its largest has used the whole of it.
std::uint64_t CapKB(const Allowance& allowance) {
  return std::min<std::uint64_t>(allowance.capMB * kKBPerMB,
                                 std::numeric_limits<std::uint32_t>::max());
}

// Whether the total has reached `percent` of the allowance.
bool Reached(std::uint64_t totalKB, const Allowance& allowance, int percent) {
  return totalKB * 100 >= CapKB(allowance) * static_cast<unsigned>(percent);
}

// The warnings given that the total bears out: one whose threshold the total is below (a new
// cycle, a correction downwards, a raised allowance) may come again.
unsigned BorneOut(std::uint64_t totalKB, const Allowance& allowance) {
  unsigned warned = allowance.warned;
  if (!Reached(totalKB, allowance, allowance.warningPercent)) warned &= ~kLevelWarned;
  if (!Reached(totalKB, allowance, 100)) warned &= ~kWholeWarned;
  return warned;
}

std::string Quantity(std::uint64_t kilobytes, Separators separators) {
  constexpr std::uint64_t kLargest = std::numeric_limits<std::uint32_t>::max();
  return FormatDataQuantity(static_cast<std::uint32_t>(std::min(kilobytes, kLargest)), separators);
}

std::string Days(int count) {
  return std::to_string(count) + (count == 1 ? " day" : " days");
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool AllDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string DateText(chr::sys_days day, const Locale& locale) {
  const chr::year_month_day ymd{day};
  const LocalDateTime date{static_cast<std::uint16_t>(int{ymd.year()}),
                           static_cast<std::uint16_t>(unsigned{ymd.month()}),
                           static_cast<std::uint16_t>(unsigned{ymd.day()})};
  return locale.Narrow(FormatCycleDate(date, locale));
}

// The total the cycle heads for: its total over the time since it began, for its length.
std::uint64_t Projected(std::uint64_t totalKB, const CycleSpan& span, const LocalDateTime& now) {
  // A cycle whose rollover is still to come has run its whole length.
  const double sinceStart = span.Ended() ? span.Length() * kSecondsPerDay
                                         : (span.Day() - 1) * kSecondsPerDay + now.Hour * 3600.0 +
                                               now.Minute * 60.0 + now.Second;
  const double elapsed = std::max(sinceStart, kShortestPaceSeconds);
  const double projected = static_cast<double>(totalKB) * (span.Length() * kSecondsPerDay) / elapsed;
  return static_cast<std::uint64_t>(
      std::min(projected, double{std::numeric_limits<std::uint32_t>::max()}));
}

std::string UsedLine(const MeterState& state, const Allowance& allowance, const CycleSpan& span,
                     Separators separators) {
  std::string line = "Used " + Quantity(state.TotalDataKB, separators);
  if (allowance.capMB != 0) {
    line += " of " + FormatAllowanceGB(allowance.capMB, separators.decimal) + " GB (" +
            std::to_string(*UsedPercent(state.TotalDataKB, allowance)) + " %)";
  }
  return line + ", day " + std::to_string(span.Day()) + " of " + std::to_string(span.Length()) +
         " of this cycle.";
}

std::string WithinLine(std::uint64_t totalKB, std::uint64_t capKB, int daysLeft,
                       Separators separators) {
  if (totalKB > capKB) return "Over it by " + Quantity(totalKB - capKB, separators) + ".";
  const std::uint64_t rest = capKB - totalKB;
  if (daysLeft <= 0) return "To stay within it: " + Quantity(rest, separators) + " for today.";
  return "To stay within it: " + Quantity(rest / static_cast<std::uint64_t>(daysLeft), separators) +
         " a day for the " + Days(daysLeft) + " left.";
}

std::string WarningText(const Allowance& allowance, unsigned warning, std::uint64_t totalKB,
                        int daysLeft, Separators separators) {
  const std::string cap = FormatAllowanceGB(allowance.capMB, separators.decimal) + " GB";
  const std::string used = warning == kLevelWarned
                               ? std::to_string(allowance.warningPercent) + "% of its " + cap
                               : "its whole " + cap;
  return "This billing cycle has used " + used + " allowance: " + Quantity(totalKB, separators) +
         ", with " + Days(std::max(daysLeft, 0)) + " left.";
}

}  // namespace

Allowance ReadAllowance(SettingsStore& store) noexcept {
  return {static_cast<std::uint32_t>(ReadForgiving(store, stored::DataCap)),
          static_cast<int>(ReadForgiving(store, stored::CapWarning)),
          static_cast<unsigned>(ReadForgiving(store, stored::CapWarned))};
}

void StoreAllowance(MeterState& state, SettingsStore& store, std::uint32_t capMB,
                    int warningPercent) {
  const Allowance before = ReadAllowance(store);
  state.DataCap.reset();  // read again should a write fail
  WriteValueNumber(store, stored::DataCap, capMB);
  WriteValueNumber(store, stored::CapWarning, warningPercent);
  // A key that cannot be opened takes no write and says nothing: only reading back tells.
  const Allowance stored = ReadAllowance(store);
  if (stored.capMB != capMB) throw RegistryError::FailedToSetData(stored::DataCap.name);
  if (stored.warningPercent != warningPercent)
    throw RegistryError::FailedToSetData(stored::CapWarning.name);
  Allowance allowance{capMB, warningPercent, before.warned};
  // An allowance raised above the total arms both warnings again; a level set above the
  // share used so far arms the level's.
  const std::uint64_t used = MainAllowanceUsedKB(state, store);
  if (capMB > before.capMB && CapKB(allowance) > used) {
    allowance.warned = 0;
  } else if (!Reached(used, allowance, warningPercent)) {
    allowance.warned &= ~kLevelWarned;
  }
  if (allowance.warned != before.warned)
    WriteValueNumber(store, stored::CapWarned, allowance.warned);
  state.DataCap = allowance;
}

void RearmAllowanceWarnings(MeterState& state, SettingsStore& store) noexcept {
  try {
    if (ReadForgiving(store, stored::CapWarned) != 0) WriteValueNumber(store, stored::CapWarned, 0);
    if (state.DataCap) state.DataCap->warned = 0;
  } catch (...) {  // the warnings stay as they were; the cycle's restart goes on
  }
}

void RearmWarningsBelowTotal(MeterState& state, SettingsStore& store) {
  std::optional<Allowance>& known = state.DataCap;
  if (!known) known = ReadAllowance(store);
  if (known->capMB == 0) return;
  const unsigned warned = BorneOut(MainAllowanceUsedKB(state, store), *known);
  if (warned == known->warned) return;
  WriteValueNumber(store, stored::CapWarned, warned);
  known->warned = warned;
}

std::string FormatAllowanceGB(std::uint32_t capMB, char decimal) {
  const std::uint64_t hundredths = (capMB * std::uint64_t{100} + kKBPerMB / 2) / kKBPerMB;
  std::string text = std::to_string(hundredths / 100);
  const auto fraction = static_cast<unsigned>(hundredths % 100);
  if (fraction == 0) return text;
  text += decimal;
  text += static_cast<char>('0' + fraction / 10);
  if (fraction % 10 != 0) text += static_cast<char>('0' + fraction % 10);
  return text;
}

AllowanceEntry ParseAllowanceGB(std::string_view text, char decimal) {
  text = Trimmed(text);
  const auto separator = text.find(decimal);
  const std::string_view whole = text.substr(0, separator);
  const std::string_view fraction =
      separator == std::string_view::npos ? std::string_view{} : text.substr(separator + 1);
  if (whole.empty() || !AllDigits(whole) || !AllDigits(fraction) ||
      (separator != std::string_view::npos && fraction.empty())) {
    return {0, std::string("Enter a number of GB, such as 12") + decimal + "5."};
  }
  if (fraction.size() > 2) return {0, "Two decimals at most."};
  const std::string_view digits =
      whole.substr(std::min(whole.find_first_not_of('0'), whole.size()));
  if (digits.size() > 4) return {0, "4096 GB at most."};
  std::uint64_t hundredths = 0;  // the digits with the fraction made two places long
  for (char c : std::string(digits) + std::string(fraction) + std::string(2 - fraction.size(), '0'))
    hundredths = hundredths * 10 + static_cast<unsigned>(c - '0');
  if (hundredths > kLargestHundredthsGB) return {0, "4096 GB at most."};
  return {static_cast<std::uint32_t>((hundredths * kKBPerMB + 50) / 100), {}};
}

WarningEntry ParseWarningPercent(std::string_view text) {
  text = Trimmed(text);
  if (text.empty() || !AllDigits(text)) return {0, "Enter a whole number of percent."};
  int percent = 0;
  for (char c : text.substr(0, 3))
    percent = percent * 10 + (c - '0');
  if (text.size() > 3 || percent < kLowestWarning || percent > kHighestWarning)
    return {0, "From 50 to 99 %."};
  return {percent, {}};
}

Allowance EnteredAllowance(const Allowance& stored, std::string_view capText,
                           std::string_view levelText, char decimal) {
  Allowance entered = stored;
  if (capText != FormatAllowanceGB(stored.capMB, decimal))
    entered.capMB = ParseAllowanceGB(capText, decimal).capMB;
  if (levelText != std::to_string(stored.warningPercent))
    entered.warningPercent = ParseWarningPercent(levelText).percent;
  return entered;
}

std::vector<std::string> CycleLines(const MeterState& state, const Allowance& allowance,
                                    const LocalDateTime& now, const Locale& locale) {
  const std::optional<CycleSpan> span = CurrentCycle(state, now, locale);
  if (!span) return {};
  if (PlanShown(state)) return PlanLines(state, allowance, now, locale);
  const Separators separators = locale.NumberSeparators();
  std::vector<std::string> lines{UsedLine(state, allowance, *span, separators)};
  if (allowance.capMB == 0) return lines;
  for (std::string& line : PaceLines(state.TotalDataKB, CapKB(allowance), state, now, locale))
    lines.push_back(std::move(line));
  return lines;
}

std::vector<std::string> PaceLines(std::uint64_t usedKB, std::uint64_t capKB,
                                   const MeterState& state, const LocalDateTime& now,
                                   const Locale& locale) {
  const std::optional<CycleSpan> span = CurrentCycle(state, now, locale);
  if (!span) return {};
  const Separators separators = locale.NumberSeparators();
  return {"At this pace: " + Quantity(Projected(usedKB, *span, now), separators) + " by " +
              DateText(span->end, locale) + ".",
          WithinLine(usedKB, capKB, span->Left(), separators)};
}

int CycleDaysLeft(const MeterState& state, const LocalDateTime& now, const Locale& locale) {
  const std::optional<CycleSpan> span = CurrentCycle(state, now, locale);
  return span ? std::max(span->Left(), 0) : 0;
}

std::optional<std::uint64_t> UsedPercent(std::uint32_t totalKB, const Allowance& allowance) {
  if (allowance.capMB == 0) return std::nullopt;
  return totalKB * std::uint64_t{100} / CapKB(allowance);
}

std::string AllowanceSummary(const MeterState& state, const Allowance& allowance,
                             const LocalDateTime& now, const Locale& locale) {
  const std::optional<std::uint64_t> percent = UsedPercent(state.TotalDataKB, allowance);
  const std::optional<CycleSpan> span = CurrentCycle(state, now, locale);
  if (!percent || !span) return {};
  return std::to_string(*percent) + " % of " +
         FormatAllowanceGB(allowance.capMB, locale.NumberSeparators().decimal) + " GB, " +
         Days(std::max(span->Left(), 0)) + " left";
}

void WatchAllowance(MeterContext& meter, const LocalDateTime& now) noexcept {
  try {
    std::optional<Allowance>& known = meter.state.DataCap;
    if (!known) known = ReadAllowance(meter.store);
    if (known->capMB == 0) return;
    // A mark the total does not bear out is left from an earlier cycle (a restart cut short
    // before it armed the warnings, or its write failed): the warning may come again.
    RearmWarningsBelowTotal(meter.state, meter.store);
    Allowance allowance = *known;
    const std::uint64_t total = MainAllowanceUsedKB(meter.state, meter.store);
    std::vector<unsigned> due;
    for (unsigned warning : {kLevelWarned, kWholeWarned}) {
      const int percent = warning == kLevelWarned ? allowance.warningPercent : 100;
      if ((allowance.warned & warning) == 0 && Reached(total, allowance, percent))
        due.push_back(warning);
    }
    if (due.empty()) return;
    for (unsigned warning : due)
      allowance.warned |= warning;
    // Marked first: a warning the store cannot remember (a failed write, a key that cannot
    // be opened) is not shown, rather than shown on every tick.
    WriteValueNumber(meter.store, stored::CapWarned, allowance.warned);
    if (ReadForgiving(meter.store, stored::CapWarned) != allowance.warned) return;
    known->warned = allowance.warned;
    const std::optional<CycleSpan> span = CurrentCycle(meter.state, now, meter.locale);
    const int left = span ? span->Left() : 0;
    for (unsigned warning : due) {
      meter.view.PostWarning(kMainAllowanceTitle,
                             WarningText(allowance, warning, total, left,
                                         meter.locale.NumberSeparators()));
    }
  } catch (...) {  // the counting goes on without the warning
  }
}

}  // namespace pelliton
