#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "metering/meter_context.h"
#include "ui/meter_window.h"

namespace pelliton {

// "WinNT" for the NT platform identifier (2), "Win98" for 1, empty text otherwise.
std::string GetPlatformName(std::uint32_t platformId);

// The behaviour of the meter window: its event handlers and methods, over the ports. The
// Win32 window forwards its events here and shows any exception that comes back.
class TPellitonForm {
 public:
  TPellitonForm(MeterState& state, const FormPorts& ports);

  // Refuses every platform but the NT family: shows the compatibility message and returns
  // false, after which the process ends at once.
  bool FormCreate(std::uint32_t platformId);
  // The start-up sequence. Runs at the first activation only; later calls do nothing.
  void FormActivate();
  // Once the start-up sequence and its error box are over: a start that is not a first run
  // and has no connection name to meter by (empty, blanks, unreadable) asks for one. A
  // confirmed choice is metered from then on with the cycle's figures kept; Cancel leaves
  // the meter as it is.
  void StartUpEnded();

  void Timer1Timer();
  std::uint8_t GetConnectedState();
  void Get_IfTableMIB(Snapshot& snapshot);
  void LoadDataValuesFromRegistry();

  void WriteRegistry(RootKey root, std::string_view key, std::string_view name,
                     std::string_view value);
  std::string ReadRegistry(RootKey root, std::string_view key, std::string_view name);
  void DeleteRegistry(RootKey root, std::string_view key);

  // Mouse on the big figure; x and y in its client pixels.
  void Label1MouseDown(MouseButton button, std::int32_t x, std::int32_t y);
  void Label1MouseMove(bool leftHeld, std::int32_t x, std::int32_t y);
  void Label1MouseUp(MouseButton button, std::int32_t x, std::int32_t y);

  // A popup-menu command; dispatches to the item's handler (ExitMenu1 has none).
  void MenuCommand(MenuItem item);
  void ChangeNetworkAdaptor1Click();
  void UsageStatistics1Click();
  void CycleDate1Click();
  void DisplayFontSize1Click();
  void DataCap1Click();
  void UsageHistory1Click();
  void MeteredConnections1Click();
  void PlanHours1Click();

  // The window option commands (option_commands.cpp).
  void StayOnTop1Click();
  void Freeze1Click();
  void Shuffle1Click();
  void ClockColor1Click();
  void WebSite1Click();
  void About1Click();
  void ShowMeter1Click();

  // Removal (removal.cpp).
  void RemoveThisProgram1Click();
  void RemovePrograme();

  MeterState& State() { return state_; }

 private:
  // The notification-area icon follows the texts and the allowance in memory.
  void ShowTrayStatus();

  MeterState& state_;
  FormPorts ports_;
  MeterContext meter_;
  bool activated_ = false;
  std::int32_t colorDialog1Color_ = 0;  // ColorDialog1's own colour, kept for the run
};

}  // namespace pelliton
