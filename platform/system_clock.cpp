#include "platform/system_clock.h"

#include <windows.h>

namespace pelliton {

namespace {

using GetTickCount64Function = ULONGLONG(WINAPI*)();

// GetTickCount64 came with Vista: it is looked up, not imported, so that the program still
// loads on XP. Kernel32 is always loaded.
GetTickCount64Function TickCount64() {
  static const auto function =
      reinterpret_cast<GetTickCount64Function>(reinterpret_cast<void (*)()>(
          GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
  return function;
}

}  // namespace

LocalDateTime SystemClock::Now() const {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return LocalDateTime{now.wYear,   now.wMonth,  now.wDay,         now.wHour,
                       now.wMinute, now.wSecond, now.wMilliseconds};
}

std::uint32_t SystemClock::TickCount() const {
  return GetTickCount();
}

std::int64_t SystemClock::UtcMilliseconds() const {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);  // 100-ns steps since 1601, UTC
  const ULONGLONG steps = (ULONGLONG{now.dwHighDateTime} << 32) | now.dwLowDateTime;
  return static_cast<std::int64_t>(steps / 10000);
}

TimeSinceBoot SystemClock::SinceBoot() const {
  if (const GetTickCount64Function tickCount64 = TickCount64()) return {tickCount64(), false};
  return {GetTickCount(), true};
}

}  // namespace pelliton
