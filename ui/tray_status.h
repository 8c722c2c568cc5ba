#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "metering/base/clock.h"
#include "metering/base/locale.h"
#include "metering/meter_state.h"

namespace pelliton {

// What the notification-area icon tells beside the meter's three texts: how much of the
// allowance the cycle has used (both empty without an allowance), after the line of a
// router's counter that has stopped.
struct TrayStatus {
  std::string allowanceLine;              // "24 % of 50 GB, 22 days left"
  std::optional<std::uint64_t> usedPercent;  // more than 100 when over the allowance
  bool operator==(const TrayStatus&) const = default;
};

// The status for the allowance the meter keeps in memory (none while it is unknown).
TrayStatus TrayStatusOf(const MeterState& state, const LocalDateTime& now, const Locale& locale);

// The icon's tip holds at most this many characters (the system's 128 with the closing NUL).
inline constexpr std::size_t kTrayTipLength = 127;

// The tip: the three texts as the meter shows them on one line, and the allowance line under
// them. What does not fit in `limit` characters goes: the allowance line first, then the end
// of the texts, which then end in "...".
std::string TrayTip(std::string_view label1, std::string_view label2, std::string_view label3,
                    std::string_view allowanceLine, std::size_t limit = kTrayTipLength);

// The icon's picture: a gauge of `rows` rows filled from the bottom as far as the allowance is
// used, all of them and marked full once it is; without an allowance a plain mark. Always in
// the text colour. Two equal pictures look the same, so the icon is drawn again only when
// this changes.
struct TrayPicture {
  bool gauge = false;
  int filledRows = 0;
  bool full = false;
  std::int32_t color = 0;  // 0x00BBGGRR
  bool operator==(const TrayPicture&) const = default;
};
TrayPicture TrayPictureOf(const TrayStatus& status, std::int32_t color, int rows);

}  // namespace pelliton
