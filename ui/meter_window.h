#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "metering/meter_context.h"
#include "ui/tray_status.h"

namespace pelliton {

// The items of the meter's popup menu, in menu order.
enum class MenuItem {
  Shuffle1,
  Freeze1,
  UsageStatistics1,
  CycleDate1,
  ClockColor1,
  DisplayFontSize1,
  ChangeNetworkAdaptor1,
  StayOnTop1,
  ExitMenu1,
  RemoveThisProgram1,
  WebSite1,
  About1,
  DataCap1,
  UsageHistory1,
  MeteredConnections1,
  PlanHours1,
  ShowMeter1,
};

enum class MouseButton { Left, Right, Middle };

struct ScreenPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// A rectangle of the desktop in pixels, right and bottom excluded.
struct ScreenRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;
  bool operator==(const ScreenRect&) const = default;
};

// The meter window as its handlers see it. Label tops are in pixels of the 96-DPI layout
// (the window scales them); Left and Top are the window's screen position in pixels.
class MeterWindow : public MeterView {
 public:
  virtual void SetLabelsVisible(bool visible) = 0;
  virtual void SetLabel1FontSize(std::uint8_t points) = 0;
  virtual void SetLabelsColor(std::int32_t color) = 0;  // 0x00BBGGRR
  virtual void SetLabelTops(int label2Top, int label3Top) = 0;
  virtual std::string Label1Text() const = 0;

  virtual bool MenuChecked(MenuItem item) const = 0;
  virtual void SetMenuChecked(MenuItem item, bool checked) = 0;
  virtual void OpenPopupMenu(ScreenPoint at) = 0;

  virtual std::int32_t Left() const = 0;
  virtual std::int32_t Top() const = 0;
  virtual std::int32_t Width() const = 0;  // of the whole window, in pixels
  virtual std::int32_t Height() const = 0;
  virtual void SetLeft(std::int32_t left) = 0;  // each a move of its own
  virtual void SetTop(std::int32_t top) = 0;
  // SetWindowPos with HWND_TOPMOST or HWND_NOTOPMOST, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW.
  virtual void SetTopmost(bool topmost) = 0;
  // SetWindowPos with HWND_TOP and the same flags: shown, on top of the windows of its band.
  virtual void BringToTop() = 0;
  // Hides the application's own top-level window, which carries the taskbar button.
  virtual void HideTaskbarButton() = 0;
  // "Show Meter": shows or hides the floating meter; its icon in the notification area stays
  // either way. Without that icon (no notification area) the meter stays shown.
  virtual void SetMeterShown(bool shown) = 0;
  // The icon's tip (the three texts as shown, and `status`) and its picture.
  virtual void ShowTrayStatus(const TrayStatus& status) = 0;

  // ColorDialog1: the system colour dialog, owned by this window (which it disables while
  // up), with its custom-colour part open and any colour allowed, opening with `initial`
  // selected. The chosen colour when the user confirmed, nothing when cancelled.
  virtual std::optional<std::int32_t> ExecuteColorDialog1(std::int32_t initial) = 0;
  // The shell's "open" of `target`, owned by this window, shown maximised. Never fails.
  virtual void ShellOpen(std::string_view target) = 0;
};

// What closing a dialog or the About box does to the meter: shows it and brings it to the top
// of the band that Stay On Top chooses (its check mark, which the stored "StayTop" follows):
// the topmost band when on, the normal band when off. The mark and the store stay as they are.
void RaiseMeter(MeterWindow& window);

// The program as a whole: the screen, its own file, plain message boxes and ending.
class Application {
 public:
  virtual ~Application() = default;
  virtual std::int32_t ScreenWidth() const = 0;  // primary screen, read afresh each call
  virtual std::int32_t ScreenHeight() const = 0;
  // The monitor that holds the most of `window`, or the nearest one when none holds any.
  virtual ScreenRect MonitorOf(const ScreenRect& window) const = 0;
  // The running executable's full path, whatever characters its folders' names hold.
  virtual std::u16string ExePath() const = 0;
  // OK box captioned with the application title "Pelliton", no icon.
  virtual void ShowMessage(std::string_view text) = 0;
  // OK box with its own caption, no icon.
  virtual void ShowBox(std::string_view text, std::string_view caption) = 0;
  // Yes/No box with the information icon; true only for Yes.
  virtual bool AskYesNo(std::string_view text, std::string_view caption) = 0;
  // Dispatches every message waiting in the queue, once.
  virtual void ProcessMessages() = 0;
  // The program ends as soon as control is back in its main message loop.
  virtual void Terminate() = 0;
  virtual bool Terminated() const = 0;
};

// The windows the meter opens. Each showing creates its window afresh, shows it modally
// and destroys it when it closes.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  virtual void ShowConnectionDialog() = 0;
  virtual void ShowAboutBox() = 0;
  virtual void ShowCycleDateDialog() = 0;
  virtual void ShowDisplaySizeDialog() = 0;
  virtual void ShowStatisticsWindow() = 0;
  virtual void ShowDataCapDialog() = 0;
  virtual void ShowUsageHistoryWindow() = 0;
  virtual void ShowMeteredConnectionsDialog() = 0;
  virtual void ShowPlanDialog() = 0;
};

// Everything the meter window's handlers work with besides MeterState.
struct FormPorts {
  SettingsStore& store;
  InterfaceTable& table;
  const Clock& clock;
  const Locale& locale;
  MeterWindow& window;
  Application& app;
  Dialogs& dialogs;
  RouterSource* router = nullptr;  // the household's router, where the platform reads one
};

}  // namespace pelliton
