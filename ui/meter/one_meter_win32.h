#pragma once

#include <windows.h>

namespace pelliton {

// One meter per user: the start that runs the meter holds a named mutex in the logon
// session's namespace for as long as it runs; the system lets go of it however the process
// ends, a kill included. A later start of the same session finds it held.
class OneMeterLock {
 public:
  OneMeterLock();
  ~OneMeterLock();
  OneMeterLock(const OneMeterLock&) = delete;
  OneMeterLock& operator=(const OneMeterLock&) = delete;

  // Whether this start holds the lock. A mutex of that name that this user may not open
  // belongs to a running meter; a lock that cannot be had otherwise never keeps a meter
  // from running.
  bool Held() const { return held_; }
  // Tries once more to take the lock (and to open it, when it could not be); true once held.
  bool TryTake();

 private:
  HANDLE mutex_ = nullptr;
  bool held_ = false;
};

// The lock's name, in the logon session's namespace.
inline constexpr const wchar_t* kOneMeterLockName = L"Local\\Zorvane Pelliton meter";

// For a start that found the lock held: asks the running meter to show itself and lets it
// come to the foreground, and returns false. Returns true instead when the lock comes free
// meanwhile (that meter has just ended, its window perhaps still there but no longer
// answering), so that this start runs the meter. Gives up quietly after a moment when
// neither happens.
bool ShowRunningMeterOrTakeOver(OneMeterLock& lock);

// The message that asks a meter window to show itself.
UINT ShowMeterMessage();

}  // namespace pelliton
