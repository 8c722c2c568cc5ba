#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "metering/base/clock.h"
#include "metering/base/locale.h"
#include "store/settings_store.h"

namespace pelliton {

// The plan as it is sold, beside the main monthly allowance ("DataCap"): one off-peak window
// a day in local time, what the window's traffic does, and a daily allowance. Every part is
// optional; the defaults are no window and no daily allowance, which is the plan of one
// allowance where every hour counts alike.

// What the traffic inside the off-peak window counts toward.
enum class OffPeakRule : std::uint8_t {
  Free = 0,      // nothing: the hours are free
  Own = 1,       // an allowance of its own for the cycle; nothing spills over
  OwnThenMain = 2,  // its own allowance first, then the main one
};

struct PlanSettings {
  bool hasWindow = false;
  std::uint16_t windowStart = 0;  // minutes after local midnight, 0 to 1439
  std::uint16_t windowEnd = 0;    // likewise; before the start crosses midnight; never equal
  OffPeakRule rule = OffPeakRule::Free;
  std::uint32_t offPeakCapMB = 0;  // the window's allowance for the cycle (Own, OwnThenMain)
  int offPeakWarningPercent = 80;  // its warning level, 50 to 99
  std::uint32_t dailyCapMB = 0;    // 0: no daily allowance
  int dailyWarningPercent = 80;
  std::uint8_t dailyResetHour = 0;  // the hour the daily allowance starts again, 0 to 23
  friend bool operator==(const PlanSettings&, const PlanSettings&) = default;
};

// The stored settings. Absent, malformed, out of range or of another type reads as its
// default (no window, no off-peak or daily allowance); reading never fails.
PlanSettings ReadPlanSettings(SettingsStore& store) noexcept;
// Stores the settings (write-through). Store failures propagate, and then nothing of the
// settings has changed in the store.
void StorePlanSettings(SettingsStore& store, const PlanSettings& settings);

// How many times the settings have been stored in this process, so that what keeps them in
// memory knows when to read them again.
std::uint64_t PlanSettingsChanges() noexcept;

// "02:00-08:00": the window as the dialog, the tip and the history show it.
std::string FormatWindow(const PlanSettings& settings);
// An "hh:mm" entry read from the dialog: minutes after midnight, or why it is refused.
struct TimeEntry {
  std::uint16_t minutes = 0;
  std::string problem;  // empty when the text is good
};
TimeEntry ParseTimeOfDay(std::string_view text);
// "08:00": minutes after midnight as the dialog shows them.
std::string FormatTimeOfDay(int minutes);

// What the icon's gauge shows: the allowance that is furthest along decides.
enum class GaugeLevel : std::uint8_t { Normal = 0, Warning = 1, Whole = 2 };

}  // namespace pelliton
