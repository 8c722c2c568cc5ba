#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "metering/base/clock.h"
#include "metering/base/locale.h"
#include "metering/meter_state.h"
#include "metering/plan/plan.h"

namespace pelliton {

// What the notification-area icon tells beside the meter's three texts: a line for each
// allowance that is set (empty without one), after the line of a router's counter that has
// stopped; how much of the allowance furthest along is used, and whether it has reached its
// warning level or all of it.
struct TrayStatus {
  std::string allowanceLine;              // "24 % of 50 GB, 22 days left"
  std::optional<std::uint64_t> usedPercent;  // more than 100 when over the allowance
  GaugeLevel level = GaugeLevel::Normal;
  bool operator==(const TrayStatus&) const = default;
};

// The status for the allowance the meter keeps in memory (none while it is unknown).
TrayStatus TrayStatusOf(const MeterState& state, const LocalDateTime& now, const Locale& locale);

// The icon's tip holds at most this many characters (the system's 128 with the closing NUL).
inline constexpr std::size_t kTrayTipLength = 127;

// The tip: the three texts as the meter shows them on one line, and the allowance lines under
// them. What does not fit in `limit` characters goes: the allowance lines first, the last
// first, then the end of the texts, which then end in "...".
std::string TrayTip(std::string_view label1, std::string_view label2, std::string_view label3,
                    std::string_view allowanceLine, std::size_t limit = kTrayTipLength);

// The icon's picture: a gauge of `rows` rows filled from the bottom as far as the allowance is
// used, all of them once it is; without an allowance a plain mark. In the text colour, amber
// from a warning level on, red once an allowance is used up. Two equal pictures look the same,
// so the icon is drawn again only when this changes.
struct TrayPicture {
  bool gauge = false;
  int filledRows = 0;
  GaugeLevel level = GaugeLevel::Normal;
  std::int32_t color = 0;  // 0x00BBGGRR
  bool operator==(const TrayPicture&) const = default;
};
TrayPicture TrayPictureOf(const TrayStatus& status, std::int32_t color, int rows);

}  // namespace pelliton
