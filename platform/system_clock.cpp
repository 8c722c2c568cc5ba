#include "platform/system_clock.h"

#include <windows.h>

namespace pelliton {

LocalDateTime SystemClock::Now() const {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return LocalDateTime{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                       now.wMinute, now.wSecond, now.wMilliseconds};
}

std::uint32_t SystemClock::TickCount() const {
  return GetTickCount();
}

}  // namespace pelliton
