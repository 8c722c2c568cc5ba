#pragma once

#include <cstdint>
#include <string_view>

#include "metering/base/clock.h"
#include "metering/sources/interface_table.h"
#include "metering/meter_state.h"
#include "store/settings_store.h"
#include "ui/dialogs/list_view.h"
#include "ui/meter_window.h"

namespace pelliton {

inline constexpr std::string_view kNoConnectionsLine = "No Network Conections found";
inline constexpr std::string_view kRedetectingLine = "Re-Detecting Network Hardware and Conections";
inline constexpr std::string_view kPleaseWaitLine = "Please Wait.....";
inline constexpr std::string_view kSlowListingMessage =
    "Pelliton cannot be installed on this machine.\r\r Please disable the QOS Packet Scheduler "
    "from Network Conections in control panel and try reinstalling this software.";
// Listing the connections may take this long (ms); one more and the program gives up.
inline constexpr std::uint32_t kSlowListingLimit = 2400;

struct ConnectionDialogPorts {
  MeterState& state;
  SettingsStore& store;
  InterfaceTable& table;
  const Clock& clock;
  Application& app;
};

// "Select Appropriate Connection" as its handlers see it.
class ConnectionDialogView : public ListDialogView {
 public:
  virtual void ClearList() = 0;
  // Ends the modal showing with the Cancel result.
  virtual void EndModalCancel() = 0;
};

// The handlers of the connection dialog. A new instance goes with every showing; it keeps
// nothing of its own besides what the view shows.
class TAllConectionsForm {
 public:
  // The layout's initial state: the one placeholder line, OK disabled.
  TAllConectionsForm(const ConnectionDialogPorts& ports, ConnectionDialogView& view);

  // Fills the list from a fresh snapshot and times it; too slow a listing ends the program.
  void FormActivate();
  // A selection made by the user.
  void ListBox1Click();
  // Confirms the selected line: OK, and a click on Label1.
  void BitBtn1Click();
  // Cancel and Esc.
  void BitBtn2Click();

 private:
  ConnectionDialogPorts ports_;
  ConnectionDialogView& view_;
};

}  // namespace pelliton
