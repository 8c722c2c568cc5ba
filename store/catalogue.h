#pragma once

#include <array>
#include <cstdint>
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
  Text,          // free text
  Signed,        // platform integer text, signed 32-bit, then checked against [min, max]
  Unsigned,      // the same with the unsigned 32-bit range ("TotalData")
  FlagOff,       // on only for exactly "1"
  FlagOn,        // on for anything but exactly "0"
};

struct StoredValue {
  std::string_view key;
  std::string_view name;
  TextForm form;
  std::int64_t min = 0;
  std::int64_t max = 0;
  std::int64_t defaultNumber = 0;   // numbers and flags (1 = on)
  std::string_view defaultText{};   // free text
};

namespace stored {
inline constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
inline constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
inline constexpr std::int64_t kUInt16Max = 65535;

inline constexpr StoredValue NetworkType{kSettingsKey, "NetworkType", TextForm::Text};
inline constexpr StoredValue Top{kSettingsKey, "Top", TextForm::Signed, kInt32Min, kInt32Max};
// Default: the primary screen's width minus 310, supplied by the reader.
inline constexpr StoredValue Left{kSettingsKey, "Left", TextForm::Signed, kInt32Min, kInt32Max};
inline constexpr StoredValue FontSize{kSettingsKey, "FontSize", TextForm::Signed, 0, 255, 18};
inline constexpr StoredValue Color{kSettingsKey, "Color", TextForm::Signed, kInt32Min,
                                   kInt32Max, 65280};
inline constexpr StoredValue StayTop{kSettingsKey, "StayTop", TextForm::FlagOn, 0, 1, 1};
inline constexpr StoredValue BillCycleDate{kSettingsKey, "BillCycleDate", TextForm::Signed, 0,
                                           kUInt16Max, 1};
inline constexpr StoredValue LastMonth{kSettingsKey, "LastMonth", TextForm::Signed, 0,
                                       kUInt16Max, 0};
inline constexpr StoredValue TotalData{kSettingsKey, "TotalData", TextForm::Unsigned, 0,
                                       4294967295, 0};
inline constexpr StoredValue AllData{kSettingsKey, "AllData", TextForm::Text, 0, 0, 0,
                                     "?? ???, ????"};
inline constexpr StoredValue Seconds{kSettingsKey, "Seconds", TextForm::Signed, 0, kUInt16Max};
inline constexpr StoredValue Minutes{kSettingsKey, "Minutes", TextForm::Signed, 0, kUInt16Max};
inline constexpr StoredValue Hours{kSettingsKey, "Hours", TextForm::Signed, 0, kUInt16Max};
inline constexpr StoredValue FreezeOn{kSettingsKey, "FreezeOn", TextForm::FlagOff, 0, 1, 0};
inline constexpr StoredValue ShuffleOn{kSettingsKey, "ShuffleOn", TextForm::FlagOff, 0, 1, 0};
// The autostart entry: the executable's full path; its absence makes a start a first run.
inline constexpr StoredValue Autostart{kAutostartKey, "Zorvane Pelliton", TextForm::Text};

inline constexpr std::array<StoredValue, 15> kCatalogue{
    NetworkType, Top,     Left,    FontSize, Color,    StayTop,   BillCycleDate, LastMonth,
    TotalData,   AllData, Seconds, Minutes,  Hours,    FreezeOn,  ShuffleOn};
}  // namespace stored

// Text of a value, or its default text when absent or empty.
std::string ReadValueText(SettingsStore& store, const StoredValue& value);
// Number of a Signed or Unsigned value: its default when absent or empty, otherwise the
// converted text, which must lie in [min, max] ("Range check error" otherwise).
std::int64_t ReadValueNumber(SettingsStore& store, const StoredValue& value);
std::int64_t ReadValueNumber(SettingsStore& store, const StoredValue& value,
                             std::int64_t defaultNumber);
// A FlagOff or FlagOn value.
bool ReadValueFlag(SettingsStore& store, const StoredValue& value);

void WriteValueText(SettingsStore& store, const StoredValue& value, std::string_view text);
void WriteValueNumber(SettingsStore& store, const StoredValue& value, std::int64_t number);
void WriteValueFlag(SettingsStore& store, const StoredValue& value, bool on);  // "1" or "0"

}  // namespace pelliton
