#pragma once

#include "metering/clock.h"

namespace pelliton {

// GetLocalTime and GetTickCount.
class SystemClock : public Clock {
 public:
  LocalDateTime Now() const override;
  std::uint32_t TickCount() const override;
};

}  // namespace pelliton
