#include "metering/usage_history.h"

#include "metering/meter_context.h"
#include "metering/meter_state.h"

namespace pelliton {

UsageDate DateOf(const LocalDateTime& time) {
  return {time.Year, static_cast<std::uint8_t>(time.Month), static_cast<std::uint8_t>(time.Day)};
}

std::string IsoDate(UsageDate) { return {}; }

std::uint64_t DayUsage::TotalKB() const { return 0; }

void UsageHistory::Load(SettingsStore&) { loaded_ = true; }
void UsageHistory::Record(SettingsStore&, const LocalDateTime&, std::uint64_t, std::uint64_t,
                          std::uint32_t) {}
void UsageHistory::Correct(SettingsStore&, const LocalDateTime&, std::int64_t, std::uint32_t) {}
void UsageHistory::Reseal(SettingsStore&, std::uint32_t) {}
std::vector<DayUsage> UsageHistory::Days() const { return {}; }
std::vector<HourUsage> UsageHistory::Hours() const { return {}; }
std::vector<HourUsage> UsageHistory::HoursOf(UsageDate) const { return {}; }
bool UsageHistory::HoursKept(UsageDate) const { return false; }
std::optional<UsageDate> UsageHistory::CompleteSince() const { return since_; }
std::string UsageHistory::DaysText() const { return {}; }
std::string UsageHistory::HoursText() const { return {}; }
std::string UsageHistory::OpenText() const { return {}; }
void UsageHistory::Advance(SettingsStore&, const LocalDateTime&) {}
void UsageHistory::StoreOpen(SettingsStore&) {}

void RecordUsage(MeterContext&, std::uint64_t, std::uint64_t) {}
const UsageHistory& ReadUsageHistory(MeterState& state, SettingsStore&) { return state.History; }
void ResealUsage(MeterState&, SettingsStore&) noexcept {}
void CorrectCycleTotal(MeterState&, SettingsStore&, const LocalDateTime&, std::uint32_t) {}
std::string DaysCsv(const UsageHistory&) { return {}; }
std::string HoursCsv(const UsageHistory&) { return {}; }
std::string CyclesCsv(const UsageHistory&, std::u16string_view, const Locale&) { return {}; }

}  // namespace pelliton
