// The thread runtime linked into the program times its waits with GetTickCount64, which
// Windows XP x64 and Server 2003 do not have: importing it would stop the program from
// loading there. This file fills the runtime's import slot for it instead, so the linker
// takes no import of that name: the system's own function where there is one, otherwise a
// 64-bit count carried over GetTickCount's wrap every 49.7 days.
#include <windows.h>

#include "ui/system_function_win32.h"

namespace {

using TickCountFunction = ULONGLONG(WINAPI*)();

// Resolved while the program starts up, before anything can wait on a timeout.
const TickCountFunction systemTickCount64 =
    pelliton::SystemFunction<TickCountFunction>(L"kernel32.dll", "GetTickCount64");

// The program has one thread, so the carried state needs no lock.
ULONGLONG CountCarriedOverWraps() {
  static DWORD last = 0;
  static ULONGLONG wraps = 0;
  const DWORD now = GetTickCount();
  if (now < last) wraps += ULONGLONG{1} << 32;
  last = now;
  return wraps + now;
}

ULONGLONG WINAPI TickCount64() {
  return systemTickCount64 != nullptr ? systemTickCount64() : CountCarriedOverWraps();
}

}  // namespace

extern "C" {
// The runtime calls through this pointer as it would through the system's import.
TickCountFunction __imp_GetTickCount64 = TickCount64;
}
