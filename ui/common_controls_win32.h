#pragma once

#include <windows.h>

#include <commctrl.h>

#include "ui/system_function_win32.h"

namespace pelliton {

// Loads the common controls and registers their window classes. The program does not import
// them: under Wine, loading them costs a megabyte or two of private memory and part of the
// start-up, so a window that needs one (a tooltip, a track bar) calls this first. False when
// they cannot be had.
inline bool LoadCommonControls() {
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  static const bool loaded = [] {
    const auto init = SystemFunction<InitFunction>(L"comctl32.dll", "InitCommonControlsEx");
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    return init != nullptr && init(&classes) != FALSE;
  }();
  return loaded;
}

}  // namespace pelliton
