#include "ui/meter/one_meter_win32.h"

#include "ui/ids.h"

namespace pelliton {

namespace {

constexpr const wchar_t* kLockName = L"Local\\Zorvane Pelliton meter";
constexpr int kPolls = 20;
constexpr DWORD kPollMs = 100;

}  // namespace

OneMeterLock::OneMeterLock() {
  mutex_ = CreateMutexW(nullptr, FALSE, kLockName);
  TryTake();
}

OneMeterLock::~OneMeterLock() {
  if (mutex_ == nullptr) return;
  if (held_) ReleaseMutex(mutex_);
  CloseHandle(mutex_);
}

bool OneMeterLock::TryTake() {
  if (!held_) {
    const DWORD result = mutex_ != nullptr ? WaitForSingleObject(mutex_, 0) : WAIT_OBJECT_0;
    held_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  }
  return held_;
}

bool ShowRunningMeterOrTakeOver(OneMeterLock& lock) {
  for (int poll = 0; poll < kPolls; ++poll) {
    HWND meter = FindWindowW(PELLITON_METER_CLASS, nullptr);
    if (meter != nullptr) {
      DWORD process = 0;
      GetWindowThreadProcessId(meter, &process);
      AllowSetForegroundWindow(process);  // a start by the user may hand on the foreground
      PostMessageW(meter, ShowMeterMessage(), 0, 0);
      return false;
    }
    if (lock.TryTake()) return true;
    Sleep(kPollMs);
  }
  return false;
}

UINT ShowMeterMessage() {
  static const UINT message = RegisterWindowMessageW(L"Zorvane Pelliton show meter");
  return message;
}

}  // namespace pelliton
