#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "metering/clock.h"
#include "metering/interface_table.h"
#include "metering/meter_state.h"
#include "store/settings_store.h"
#include "ui/meter/meter_window.h"

namespace pelliton {

inline constexpr std::string_view kNoConnectionsLine = "No Network Conections found";
inline constexpr std::string_view kRedetectingLine = "Re-Detecting Network Hardware and Conections";
inline constexpr std::string_view kPleaseWaitLine = "Please Wait.....";
inline constexpr std::string_view kSlowListingMessage =
    "Pelliton cannot be installed on this machine.\r\r Please disable the QOS Packet Scheduler "
    "from Network Conections in control panel and try reinstalling this software.";
// Listing the connections may take this long (ms); one more and the program gives up.
inline constexpr std::uint32_t kSlowListingLimit = 2400;

// Reading a line of the list that is not there: "List index out of bounds (-1)".
class ListIndexError : public std::out_of_range {
 public:
  explicit ListIndexError(int index);
};

struct ConnectionDialogPorts {
  MeterState& state;
  SettingsStore& store;
  InterfaceTable& table;
  const Clock& clock;
  Application& app;
};

// "Select Appropriate Connection" as its handlers see it. Lines are 8-bit text in the
// system code page.
class ConnectionDialogView {
 public:
  virtual ~ConnectionDialogView() = default;
  virtual void ClearList() = 0;
  virtual void AddLine(std::string_view text) = 0;
  virtual int LineCount() const = 0;
  virtual std::string Line(int index) const = 0;  // 0 <= index < LineCount()
  virtual int SelectedIndex() const = 0;          // -1 when no line is selected
  // Selects a line the way a program does: it is no user selection, ListBox1Click stays out.
  virtual void SelectLine(int index) = 0;
  virtual void SetOkEnabled(bool enabled) = 0;
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
