// The plan's settings as the store keeps them, and the window's text.
#include <atomic>
#include <optional>

#include "metering/plan/plan.h"
#include "store/catalogue.h"

namespace pelliton {

namespace {

constexpr int kMinutesPerHour = 60;
constexpr int kMinutesPerDay = 1440;

// Bumped by every store of the settings, so that a tick that keeps them reads them again.
std::atomic<std::uint64_t> settingsChanges{1};

std::optional<std::int64_t> ReadPresent(SettingsStore& store, const StoredValue& value) noexcept {
  try {
    if (ReadValueText(store, value).empty()) return std::nullopt;
    return ReadValueNumber(store, value);
  } catch (...) {
    return std::nullopt;
  }
}

std::int64_t ReadOr(SettingsStore& store, const StoredValue& value) noexcept {
  return ReadPresent(store, value).value_or(value.defaultNumber);
}

std::string TwoDigits(int value) {
  return std::string(value < 10 ? "0" : "") + std::to_string(value);
}

// What each value holds for `settings`: empty texts for a window that is not set.
void WriteAll(SettingsStore& store, const PlanSettings& settings) {
  if (settings.hasWindow) {
    WriteValueNumber(store, stored::OffPeakStart, settings.windowStart);
    WriteValueNumber(store, stored::OffPeakEnd, settings.windowEnd);
  } else {
    WriteValueText(store, stored::OffPeakStart, "");
    WriteValueText(store, stored::OffPeakEnd, "");
  }
  WriteValueNumber(store, stored::OffPeakRule, static_cast<int>(settings.rule));
  WriteValueNumber(store, stored::OffPeakCap, settings.offPeakCapMB);
  WriteValueNumber(store, stored::OffPeakWarning, settings.offPeakWarningPercent);
  WriteValueNumber(store, stored::DailyCap, settings.dailyCapMB);
  WriteValueNumber(store, stored::DailyWarning, settings.dailyWarningPercent);
  WriteValueNumber(store, stored::DailyReset, settings.dailyResetHour);
}

// The settings as they read back: what the reader makes of out-of-range fields.
PlanSettings Normal(PlanSettings settings) {
  if (!settings.hasWindow || settings.windowStart >= kMinutesPerDay ||
      settings.windowEnd >= kMinutesPerDay || settings.windowStart == settings.windowEnd) {
    settings.hasWindow = false;
    settings.windowStart = settings.windowEnd = 0;
  }
  return settings;
}

}  // namespace

PlanSettings ReadPlanSettings(SettingsStore& store) noexcept {
  PlanSettings settings;
  const auto start = ReadPresent(store, stored::OffPeakStart);
  const auto end = ReadPresent(store, stored::OffPeakEnd);
  if (start && end && *start != *end) {
    settings.hasWindow = true;
    settings.windowStart = static_cast<std::uint16_t>(*start);
    settings.windowEnd = static_cast<std::uint16_t>(*end);
  }
  settings.rule = static_cast<OffPeakRule>(ReadOr(store, stored::OffPeakRule));
  settings.offPeakCapMB = static_cast<std::uint32_t>(ReadOr(store, stored::OffPeakCap));
  settings.offPeakWarningPercent = static_cast<int>(ReadOr(store, stored::OffPeakWarning));
  settings.dailyCapMB = static_cast<std::uint32_t>(ReadOr(store, stored::DailyCap));
  settings.dailyWarningPercent = static_cast<int>(ReadOr(store, stored::DailyWarning));
  settings.dailyResetHour = static_cast<std::uint8_t>(ReadOr(store, stored::DailyReset));
  return settings;
}

void StorePlanSettings(SettingsStore& store, const PlanSettings& settings) {
  const PlanSettings before = ReadPlanSettings(store);
  const PlanSettings wanted = Normal(settings);
  ++settingsChanges;
  try {
    WriteAll(store, wanted);
    // A key that cannot be opened takes no write and says nothing: only reading back tells.
    if (ReadPlanSettings(store) != wanted)
      throw RegistryError::FailedToSetData(stored::OffPeakStart.name);
  } catch (...) {
    try {
      WriteAll(store, before);
    } catch (...) {  // what could be written back is; the error says the rest
    }
    throw;
  }
}

std::uint64_t PlanSettingsChanges() noexcept { return settingsChanges; }

std::string FormatTimeOfDay(int minutes) {
  return TwoDigits(minutes / kMinutesPerHour) + ":" + TwoDigits(minutes % kMinutesPerHour);
}

std::string FormatWindow(const PlanSettings& settings) {
  if (!settings.hasWindow) return {};
  return FormatTimeOfDay(settings.windowStart) + "-" + FormatTimeOfDay(settings.windowEnd);
}

TimeEntry ParseTimeOfDay(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  const auto colon = text.find(':');
  const std::string_view hours = text.substr(0, colon);
  const std::string_view minutes =
      colon == std::string_view::npos ? std::string_view{} : text.substr(colon + 1);
  const auto digits = [](std::string_view part) {
    return !part.empty() && part.size() <= 2 &&
           part.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (!digits(hours) || minutes.size() != 2 || !digits(minutes))
    return {0, "Enter a time such as 02:00."};
  const int hour = std::stoi(std::string(hours));
  const int minute = std::stoi(std::string(minutes));
  if (hour > 23 || minute > 59) return {0, "From 00:00 to 23:59."};
  return {static_cast<std::uint16_t>(hour * kMinutesPerHour + minute), {}};
}

}  // namespace pelliton
