#pragma once

#include "metering/base/clock.h"

namespace pelliton {

// GetLocalTime, GetTickCount and GetSystemTimeAsFileTime; the time since boot from
// GetTickCount64 where the system has it (Vista on), else from the 32-bit GetTickCount.
class SystemClock : public Clock {
 public:
  LocalDateTime Now() const override;
  std::uint32_t TickCount() const override;
  std::int64_t UtcMilliseconds() const override;
  TimeSinceBoot SinceBoot() const override;
};

}  // namespace pelliton
