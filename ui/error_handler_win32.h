#pragma once

#include <windows.h>

#include <exception>
#include <utility>

namespace pelliton {

// The application's one top-level error handler: a message box with the error icon, an OK
// button, the caption "Pelliton" and the message with its full stop.
void ShowErrorBox(const std::exception& error);
void ShowErrorBox();  // something that is not a std::exception

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
