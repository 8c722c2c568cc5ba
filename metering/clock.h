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

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime Now() const = 0;
  // Milliseconds since an arbitrary start, wrapping at 2^32 like GetTickCount.
  virtual std::uint32_t TickCount() const = 0;
};

}  // namespace pelliton
