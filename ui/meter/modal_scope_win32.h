#pragma once

#include <windows.h>

namespace pelliton {

// Makes a dialog modal to the meter: for the life of the scope the meter window is disabled,
// so it takes no mouse input (no drag, no popup menu, no second dialog) while its timer goes
// on ticking. The meter is enabled again as soon as the first dialog opened in the scope is
// being destroyed, before the system looks for a window to activate, so that activation can
// return to it; at the latest when the scope ends. A scope opened while the meter is already
// disabled leaves it alone.
class MeterModalScope {
 public:
  explicit MeterModalScope(HWND meter);
  ~MeterModalScope();
  MeterModalScope(const MeterModalScope&) = delete;
  MeterModalScope& operator=(const MeterModalScope&) = delete;

 private:
  static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
  void Release();

  static inline MeterModalScope* active_ = nullptr;  // the one scope that holds the meter
  HWND meter_;
  HWND dialog_ = nullptr;
  HHOOK hook_ = nullptr;
  bool holding_ = false;
};

}  // namespace pelliton
