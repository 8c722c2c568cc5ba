#pragma once

#include <windows.h>

#include "ui/dialogs/dialog_ports.h"
#include "ui/meter_window.h"

namespace pelliton {

// The windows the meter opens, owned by the application window. Each is modal to the meter:
// the meter takes no mouse input while it is up (MeterModalScope).
class Win32Dialogs final : public Dialogs {
 public:
  Win32Dialogs(HWND owner, HWND meter, const DialogPorts& ports, const Locale& locale)
      : owner_(owner), meter_(meter), ports_(ports), locale_(locale) {}

  void ShowConnectionDialog() override;
  void ShowAboutBox() override;
  void ShowCycleDateDialog() override;
  void ShowDisplaySizeDialog() override;
  void ShowStatisticsWindow() override;
  void ShowDataCapDialog() override;
  void ShowUsageHistoryWindow() override;
  void ShowMeteredConnectionsDialog() override;
  void ShowPlanDialog() override;

 private:
  HWND owner_;
  HWND meter_;
  DialogPorts ports_;
  const Locale& locale_;
};

}  // namespace pelliton
