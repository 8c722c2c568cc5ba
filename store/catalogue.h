#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <limits>
#include <string>
#include <string_view>

#include "store/settings_store.h"

namespace pelliton {

inline constexpr std::string_view kSettingsKey = "Software\\Zorvane\\Pelliton";
inline constexpr std::string_view kAutostartKey =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// How a stored text reads back. Absent and empty are the same to every reader: both give
// the default.
enum class TextForm {
  Text,      // free text
  Signed,    // platform integer text, signed 32-bit, then checked against [min, max]
  Unsigned,  // the same with the unsigned 32-bit range ("TotalData")
  FlagOff,   // on only for exactly "1"
  FlagOn,    // on for anything but exactly "0"
};

struct StoredValue {
  std::string_view key;
  std::string_view name;
  TextForm form = TextForm::Text;
  std::int64_t min = 0;
  std::int64_t max = 0;
  std::int64_t defaultNumber = 0;  // numbers and flags (1 = on)
  std::string_view defaultText{};  // free text
  bool defaultFromCaller = false;  // the default depends on the machine; the reader gives it
};

namespace stored {
inline constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
inline constexpr std::int64_t kUInt16Max = 65535;
inline constexpr std::int64_t kUInt32Max = 4294967295;

constexpr StoredValue TextValue(std::string_view name, std::string_view defaultText = {}) {
  return {.key = kSettingsKey, .name = name, .defaultText = defaultText};
}
constexpr StoredValue NumberValue(std::string_view name, TextForm form, std::int64_t min,
                                  std::int64_t max, std::int64_t defaultNumber) {
  return {.key = kSettingsKey,
          .name = name,
          .form = form,
          .min = min,
          .max = max,
          .defaultNumber = defaultNumber};
}
constexpr StoredValue FlagValue(std::string_view name, TextForm form) {
  return {.key = kSettingsKey,
          .name = name,
          .form = form,
          .max = 1,
          .defaultNumber = form == TextForm::FlagOn ? 1 : 0};
}
constexpr StoredValue WithCallersDefault(StoredValue value) {
  value.defaultFromCaller = true;
  return value;
}

inline constexpr auto NetworkType = TextValue("NetworkType");
// The whole metered set, "NetworkType" first (metering/connection_set.h has the form).
inline constexpr auto NetworkSet = TextValue("NetworkSet");
inline constexpr auto Top = NumberValue("Top", TextForm::Signed, kInt32Min, kInt32Max, 0);
// Default: the primary screen's width minus 310.
inline constexpr auto Left =
    WithCallersDefault(NumberValue("Left", TextForm::Signed, kInt32Min, kInt32Max, 0));
inline constexpr auto FontSize = NumberValue("FontSize", TextForm::Signed, 0, 255, 18);
inline constexpr auto Color = NumberValue("Color", TextForm::Signed, kInt32Min, kInt32Max, 65280);
inline constexpr auto StayTop = FlagValue("StayTop", TextForm::FlagOn);
inline constexpr auto BillCycleDate =
    NumberValue("BillCycleDate", TextForm::Signed, 0, kUInt16Max, 1);
inline constexpr auto LastMonth = NumberValue("LastMonth", TextForm::Signed, 0, kUInt16Max, 0);
inline constexpr auto TotalData = NumberValue("TotalData", TextForm::Unsigned, 0, kUInt32Max, 0);
inline constexpr auto AllData = TextValue("AllData", "?? ???, ????");
inline constexpr auto Seconds = NumberValue("Seconds", TextForm::Signed, 0, kUInt16Max, 0);
inline constexpr auto Minutes = NumberValue("Minutes", TextForm::Signed, 0, kUInt16Max, 0);
inline constexpr auto Hours = NumberValue("Hours", TextForm::Signed, 0, kUInt16Max, 0);
inline constexpr auto FreezeOn = FlagValue("FreezeOn", TextForm::FlagOff);
inline constexpr auto ShuffleOn = FlagValue("ShuffleOn", TextForm::FlagOff);
// The autostart entry: the executable's full path; its absence makes a start a first run.
inline constexpr StoredValue Autostart{.key = kAutostartKey, .name = "Zorvane Pelliton"};

inline constexpr std::array<StoredValue, 15> kCatalogue{
    NetworkType, Top,     Left,    FontSize, Color, StayTop,  BillCycleDate, LastMonth,
    TotalData,   AllData, Seconds, Minutes,  Hours, FreezeOn, ShuffleOn};

// The monthly data allowance, beside the catalogue: the allowance per cycle in MB (0: none),
// the warning level in percent, and which warnings this cycle has given (1: the level,
// 2: the whole allowance, 3: both). Their reader forgives anything (metering/allowance.cpp).
inline constexpr auto DataCap = NumberValue("DataCap", TextForm::Signed, 0, 4194304, 0);
inline constexpr auto CapWarning = NumberValue("CapWarning", TextForm::Signed, 50, 99, 80);
inline constexpr auto CapWarned = NumberValue("CapWarned", TextForm::Signed, 0, 3, 0);
// The day the cycle's figures last restarted (a rollover, a new cycle date, Change Network),
// as yyyymmdd: a cycle restarted between two billing days begins then (metering/cycle.h).
inline constexpr auto CycleStart = NumberValue("CycleStart", TextForm::Signed, 0, 99991231, 0);

// The plan beside the monthly allowance (metering/plan/plan.h), decimal texts whose reader
// forgives anything: the off-peak window's start and end in minutes after local midnight (both
// needed, and apart, for a window), what its traffic counts toward (0 nothing, 1 its own
// allowance, 2 its own, then the main one), its allowance in MB and warning level, the daily
// allowance in MB, its warning level and the hour it starts again.
inline constexpr auto OffPeakStart = NumberValue("OffPeakStart", TextForm::Signed, 0, 1439, 0);
inline constexpr auto OffPeakEnd = NumberValue("OffPeakEnd", TextForm::Signed, 0, 1439, 0);
inline constexpr auto OffPeakRule = NumberValue("OffPeakRule", TextForm::Signed, 0, 2, 0);
inline constexpr auto OffPeakCap = NumberValue("OffPeakCap", TextForm::Signed, 0, 4194304, 0);
inline constexpr auto OffPeakWarning =
    NumberValue("OffPeakWarning", TextForm::Signed, 50, 99, 80);
inline constexpr auto DailyCap = NumberValue("DailyCap", TextForm::Signed, 0, 4194304, 0);
inline constexpr auto DailyWarning = NumberValue("DailyWarning", TextForm::Signed, 50, 99, 80);
inline constexpr auto DailyReset = NumberValue("DailyReset", TextForm::Signed, 0, 23, 0);
// The plan's figures beside "TotalData", one text written with it (metering/plan/plan_figures.h
// has the form), and which of its warnings were given (1, 2 the off-peak level and whole
// allowance, 4, 8 the daily ones).
inline constexpr auto PlanData = TextValue("PlanData");
inline constexpr auto PlanWarned = NumberValue("PlanWarned", TextForm::Signed, 0, 15, 0);

// Whether the floating meter shows; the notification-area icon shows either way.
inline constexpr auto ShowMeter = FlagValue("ShowMeter", TextForm::FlagOn);

// The bound connection's readings at the last counted tick, so that the next start counts
// what passed while the meter was not running. Decimal texts: the interface index, 64 or
// 32 (the counters' width), the received and sent readings in KB, the time since boot in ms
// when they were taken, and the boot they belong to (UTC milliseconds since 1601 less the
// time since boot). "LastBoot" seals the set: it is written last when the others change and
// forgotten first.
inline constexpr auto LastIndex = TextValue("LastIndex");
inline constexpr auto LastWidth = TextValue("LastWidth");
inline constexpr auto LastDown = TextValue("LastDown");
inline constexpr auto LastUp = TextValue("LastUp");
inline constexpr auto LastUptime = TextValue("LastUptime");
inline constexpr auto LastBoot = TextValue("LastBoot");
// The readings of the further connections counted at that tick, under the same seal:
// "index width down up" for each, joined by ";".
inline constexpr auto LastOthers = TextValue("LastOthers");
inline constexpr std::array<StoredValue, 7> kReadings{LastBoot, LastIndex,  LastWidth, LastDown,
                                                      LastUp,   LastUptime, LastOthers};

// The household's router when it is metered instead of this PC's connections: its UDN
// (metering/router_meter.h). And its readings at the last counted tick, one text
// (metering/router_counters.h has the form), so that the next start counts what the
// household used while this PC was off.
inline constexpr auto NetworkRouter = TextValue("NetworkRouter");
inline constexpr auto LastRouter = TextValue("LastRouter");

// The traffic by day and by hour (metering/usage_text.h has the forms): the closed days, the
// date from which they are complete first; the closed hours; and the open hour, the open day
// and the "TotalData" they were written with, together, so that a tick writes one value.
inline constexpr auto UsageDays = TextValue("UsageDays");
inline constexpr auto UsageHours = TextValue("UsageHours");
inline constexpr auto UsageOpen = TextValue("UsageOpen");
}  // namespace stored

// Text of a value, or its default text when absent or empty.
std::string ReadValueText(SettingsStore& store, const StoredValue& value);
// Number of a Signed or Unsigned value: its default when the text is empty, otherwise the
// converted text (ConvertError), which must lie in [min, max] (RangeError). A text of
// blanks is not empty. The first form refuses a value whose default the caller must give.
std::int64_t ReadValueNumber(SettingsStore& store, const StoredValue& value);
std::int64_t ReadValueNumber(SettingsStore& store, const StoredValue& value,
                             std::int64_t defaultNumber);
// A FlagOff or FlagOn value.
bool ReadValueFlag(SettingsStore& store, const StoredValue& value);

// The bad stored values met by a series of reads: a text that does not convert, a number
// out of range, a value of another type. Each reads as absent (its default) and the series
// goes on; the first error is kept to be shown once, when the series is done. The stored
// text stays until the value is next written.
class BadValues {
 public:
  // Keeps `error` unless an earlier one is kept.
  void Keep(std::exception_ptr error) noexcept;
  // Raises the first error kept, if any.
  void RaiseFirst() const;

 private:
  std::exception_ptr first_;
};

// The readers above, with a bad value read as absent and kept in `bad`.
std::string ReadValueText(SettingsStore& store, const StoredValue& value, BadValues& bad);
std::int64_t ReadValueNumber(SettingsStore& store, const StoredValue& value, BadValues& bad);
std::int64_t ReadValueNumber(SettingsStore& store, const StoredValue& value,
                             std::int64_t defaultNumber, BadValues& bad);
bool ReadValueFlag(SettingsStore& store, const StoredValue& value, BadValues& bad);

void WriteValueText(SettingsStore& store, const StoredValue& value, std::string_view text);
void WriteValueNumber(SettingsStore& store, const StoredValue& value, std::int64_t number);
void WriteValueFlag(SettingsStore& store, const StoredValue& value, bool on);  // "1" or "0"

}  // namespace pelliton
