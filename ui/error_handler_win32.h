#pragma once

#include <windows.h>

#include <exception>
#include <utility>

namespace pelliton {

// The application's one top-level error handler: a message box with the error icon, an OK
// button, the caption "Pelliton" and the message with its full stop.
void ShowErrorBox(const std::exception& error);
void ShowErrorBox();  // something that is not a std::exception

// The window that owns the error box when no dialog is active: the meter, so that the system
// disables it while the box is up.
void SetErrorBoxOwner(HWND window);

// The owner of a message box of the program: the active dialog of this thread (the box then
// sits on it, and the meter is already disabled under the dialog), or else `fallback` when it
// is a window. The system disables the owner while the box is up.
HWND MessageBoxOwner(HWND fallback);

// A window of the dialog class: the program's dialogs and the system's message boxes.
bool IsDialogWindow(HWND window);

// Runs a handler at a Win32 callback boundary: no exception crosses into the system.
template <class Handler>
void Guarded(Handler&& handler) noexcept {
  try {
    std::forward<Handler>(handler)();
  } catch (const std::exception& error) {
    ShowErrorBox(error);
  } catch (...) {
    ShowErrorBox();
  }
}

}  // namespace pelliton
