#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "metering/base/clock.h"
#include "metering/base/locale.h"
#include "metering/meter_context.h"
#include "metering/meter_state.h"
#include "store/settings_store.h"

namespace pelliton {

// The monthly data allowance (Allowance, metering/meter_state.h).
inline constexpr unsigned kLevelWarned = 1;  // the warning level was reached
inline constexpr unsigned kWholeWarned = 2;  // the whole allowance was reached
inline constexpr int kLowestWarning = 50;
inline constexpr int kHighestWarning = 99;
inline constexpr int kDefaultWarning = 80;
// The largest allowance: 4096 GB, one KB more than the cycle's total can hold, so that an
// allowance counts as at most 4,294,967,295 KB.
inline constexpr std::uint32_t kLargestAllowanceMB = 4194304;

static_assert(Allowance{}.warningPercent == kDefaultWarning);

// The stored allowance. An absent or unreadable value reads as no allowance, 80 % and no
// warning given; reading never fails.
Allowance ReadAllowance(SettingsStore& store) noexcept;
// Stores the allowance and the warning level, and keeps them in `state`. An allowance raised
// above the cycle's total arms both warnings again.
void StoreAllowance(MeterState& state, SettingsStore& store, std::uint32_t capMB,
                    int warningPercent);
// A new cycle: both warnings may come again. Writes only when one was given; never fails.
void RearmAllowanceWarnings(MeterState& state, SettingsStore& store) noexcept;

// Arms again each warning whose threshold the cycle's total is below (the total was set lower,
// or the cycle restarted). Store failures propagate.
void RearmWarningsBelowTotal(MeterState& state, SettingsStore& store);

// Sets the main allowance's use to what the provider reports: "TotalData" := `usedKB` plus
// the off-peak window's traffic that counts elsewhere (metering/plan/plan_figures.h; without a
// window the total is `usedKB`), the difference going to the day of `now` as a correction, and
// the warnings following the new figures (one whose threshold they are now below may come
// again; one reached comes on the next connected tick). Store failures propagate.
void CorrectCycleTotal(MeterState& state, SettingsStore& store, const LocalDateTime& now,
                       std::uint32_t usedKB);

// An allowance as the user enters it: GB with at most two decimals after the locale's
// separator ("50", "0.2").
std::string FormatAllowanceGB(std::uint32_t capMB, char decimal);

// An entry read from the dialog: the value, or why it is refused.
struct AllowanceEntry {
  std::uint32_t capMB = 0;
  std::string problem;  // empty when the text is good
};
struct WarningEntry {
  int percent = 0;
  std::string problem;
};
AllowanceEntry ParseAllowanceGB(std::string_view text, char decimal);
WarningEntry ParseWarningPercent(std::string_view text);
// What good entries give, where an entry still shown as the dialog showed `stored` keeps the
// stored value: 1000 MB shows as "0.98" and stays 1000 MB.
Allowance EnteredAllowance(const Allowance& stored, std::string_view capText,
                           std::string_view levelText, char decimal);

// Where the cycle in progress stands on `now`: one line without an allowance, three with.
std::vector<std::string> CycleLines(const MeterState& state, const Allowance& allowance,
                                    const LocalDateTime& now, const Locale& locale);

// The pace and the "to stay within it" lines of an allowance of `capKB` that has used
// `usedKB` in the cycle in progress on `now`.
std::vector<std::string> PaceLines(std::uint64_t usedKB, std::uint64_t capKB,
                                   const MeterState& state, const LocalDateTime& now,
                                   const Locale& locale);
// The whole days left in the cycle after today.
int CycleDaysLeft(const MeterState& state, const LocalDateTime& now, const Locale& locale);

// How much of the allowance the cycle's total has used, in whole percent (more than 100 when
// over it); nothing without an allowance.
std::optional<std::uint64_t> UsedPercent(std::uint32_t totalKB, const Allowance& allowance);
// The allowance in one short line, "24 % of 50 GB, 22 days left"; empty without an allowance.
std::string AllowanceSummary(const MeterState& state, const Allowance& allowance,
                             const LocalDateTime& now, const Locale& locale);

// The tick's look at the allowance after the accounting step: a warning whose threshold the
// total has reached is marked given in the store and handed to the view to show. Never fails:
// a store that cannot be read or written only costs the warning.
void WatchAllowance(MeterContext& meter, const LocalDateTime& now) noexcept;

}  // namespace pelliton
