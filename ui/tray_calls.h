#pragma once

#include <cstdint>

namespace pelliton {

// When the icon's calls go to the shell, by a millisecond count that may wrap.
// - The tip goes to the shell only while someone may be reading it: from the mouse on the icon
//   until kTipWatchMs after it was last there. The figures change every tick; a tip that
//   nobody looks at costs no call, and the one the shell shows is kept current.
// - The shell's library (about a megabyte mapped, for a call now and then) is let go once no
//   call has needed it for kShellIdleMs, and loaded again by the next call.
class TrayCalls {
 public:
  static constexpr std::uint32_t kTipWatchMs = 30000;
  static constexpr std::uint32_t kShellIdleMs = 10000;

  void MouseOn(std::uint32_t nowMs) {
    watched_ = true;
    mouseMs_ = nowMs;
  }
  // Asked at every tick at least, so that a count that wraps never brings a watch back.
  bool TipWatched(std::uint32_t nowMs) {
    if (watched_ && nowMs - mouseMs_ >= kTipWatchMs) watched_ = false;
    return watched_;
  }
  void Called(std::uint32_t nowMs) {
    loaded_ = true;
    calledMs_ = nowMs;
  }
  // Whether the library may go now; true once, until the next call loads it again.
  bool ReleaseDue(std::uint32_t nowMs) {
    if (!loaded_ || nowMs - calledMs_ < kShellIdleMs) return false;
    loaded_ = false;
    return true;
  }

 private:
  bool watched_ = false;
  bool loaded_ = false;
  std::uint32_t mouseMs_ = 0;
  std::uint32_t calledMs_ = 0;
};

}  // namespace pelliton
