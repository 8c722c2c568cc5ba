#include "ui/meter/one_meter_win32.h"

#include "ui/ids.h"

namespace pelliton {

namespace {

// How long a start that found the lock held looks for the running meter, or for the lock
// coming free, before it ends.
constexpr DWORD kLookingMs = 3000;
constexpr DWORD kPollMs = 100;
// A meter window that does not answer this soon belongs to a meter that is ending (a kill
// takes its lock and its windows away, not always in that order) or hangs.
constexpr UINT kAnswerMs = 500;

// Asks the meter to show itself, and lets it come to the foreground: a start by the user may
// hand that on.
void ShowMeter(HWND meter) {
  DWORD process = 0;
  GetWindowThreadProcessId(meter, &process);
  AllowSetForegroundWindow(process);
  PostMessageW(meter, ShowMeterMessage(), 0, 0);
}

}  // namespace

OneMeterLock::OneMeterLock() {
  TryTake();
}

OneMeterLock::~OneMeterLock() {
  if (mutex_ == nullptr) return;
  if (held_) ReleaseMutex(mutex_);
  CloseHandle(mutex_);
}

// A mutex of that name that this user may not open (a meter started with other rights)
// means a meter runs; any other failure to have one never keeps a meter from running.
bool OneMeterLock::TryTake() {
  if (held_) return true;
  if (mutex_ == nullptr) {
    mutex_ = CreateMutexW(nullptr, FALSE, kOneMeterLockName);
    if (mutex_ == nullptr) return held_ = GetLastError() != ERROR_ACCESS_DENIED;
  }
  const DWORD result = WaitForSingleObject(mutex_, 0);
  return held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

bool ShowRunningMeterOrTakeOver(OneMeterLock& lock) {
  const DWORD started = GetTickCount();
  HWND meter = nullptr;
  do {
    if (lock.TryTake()) return true;
    meter = FindWindowW(PELLITON_METER_CLASS, nullptr);
    DWORD_PTR answer = 0;
    if (meter != nullptr &&
        SendMessageTimeoutW(meter, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &answer) != 0) {
      ShowMeter(meter);
      return false;
    }
    Sleep(kPollMs);
  } while (GetTickCount() - started < kLookingMs);
  // The lock stayed held: a meter that is busy shows itself once it answers again.
  if (meter != nullptr) ShowMeter(meter);
  return false;
}

UINT ShowMeterMessage() {
  static const UINT message = RegisterWindowMessageW(L"Zorvane Pelliton show meter");
  return message;
}

}  // namespace pelliton
