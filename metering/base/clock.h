#pragma once

#include <cstdint>

namespace pelliton {

struct LocalDateTime {
  std::uint16_t Year = 0;
  std::uint16_t Month = 0;  // 1..12
  std::uint16_t Day = 0;    // 1..31
  std::uint16_t Hour = 0;
  std::uint16_t Minute = 0;
  std::uint16_t Second = 0;
  std::uint16_t Milliseconds = 0;
};

// How long the system has been running, in milliseconds. Where only a 32-bit count is to
// be had (`wraps`), it is known modulo 2^32 ms, about 49.7 days.
struct TimeSinceBoot {
  std::uint64_t milliseconds = 0;
  bool wraps = false;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime Now() const = 0;
  // Milliseconds since an arbitrary start, wrapping at 2^32 like GetTickCount.
  virtual std::uint32_t TickCount() const = 0;
  // The present time in UTC milliseconds since 1 January 1601: unlike the local time it
  // does not jump with daylight saving or a change of time zone.
  virtual std::int64_t UtcMilliseconds() const = 0;
  virtual TimeSinceBoot SinceBoot() const = 0;
};

}  // namespace pelliton
