#pragma once

#include <windows.h>

namespace pelliton {

// Subclassing with user32 alone, so that the common controls need not be loaded for it: the
// window's previous procedure is kept in a property of the window named `name`.
inline void Subclass(HWND window, const wchar_t* name, WNDPROC procedure) {
  const LONG_PTR previous =
      SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure));
  SetPropW(window, name, reinterpret_cast<HANDLE>(previous));
}

// Hands a message on to the window's previous procedure. The window keeps the subclass until
// it is destroyed: a hint may have subclassed it again since.
inline LRESULT CallPrevious(HWND window, const wchar_t* name, UINT message, WPARAM wParam,
                            LPARAM lParam) {
  const auto previous = reinterpret_cast<WNDPROC>(GetPropW(window, name));
  if (message == WM_NCDESTROY) RemovePropW(window, name);
  return CallWindowProcW(previous, window, message, wParam, lParam);
}

}  // namespace pelliton
