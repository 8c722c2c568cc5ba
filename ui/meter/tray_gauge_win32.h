#pragma once

#include <windows.h>

#include "ui/tray_status.h"

namespace pelliton {

// Draws the notification-area icon, `size` pixels square: a gauge whose `rows` inner rows
// fill from the bottom (red once full), or a plain round mark, in the picture's colour on a
// transparent ground. The caller destroys the icon; null when it cannot be made.
HICON DrawTrayIcon(const TrayPicture& picture, int size);

// The inner rows of the gauge on an icon of `size` pixels.
int TrayGaugeRows(int size);

}  // namespace pelliton
