#pragma once

#include <windows.h>

#include "ui/dialogs/all_conections_win32.h"
#include "ui/meter/meter_window.h"

namespace pelliton {

// The dialogs the meter opens, owned by the application window.
class Win32Dialogs final : public Dialogs {
 public:
  Win32Dialogs(HWND owner, HWND meter, const ConnectionDialogPorts& ports)
      : owner_(owner), meter_(meter), ports_(ports) {}

  void ShowConnectionDialog() override;

 private:
  HWND owner_;
  HWND meter_;
  ConnectionDialogPorts ports_;
};

}  // namespace pelliton
