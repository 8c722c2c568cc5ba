#pragma once

#include <windows.h>

#include <commctrl.h>

namespace pelliton {

// Loads the common controls and registers their window classes. The program does not import
// them: under Wine, loading them costs a megabyte or two of private memory and part of the
// start-up, so a window that needs one (a tooltip, a track bar) calls this first. False when
// they cannot be had.
inline bool LoadCommonControls() {
  using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
  static const bool loaded = [] {
    const HMODULE controls = LoadLibraryW(L"comctl32.dll");
    if (controls == nullptr) return false;
    const auto init = reinterpret_cast<InitFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(controls, "InitCommonControlsEx")));
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    return init != nullptr && init(&classes) != FALSE;
  }();
  return loaded;
}

}  // namespace pelliton
