#pragma once

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>

#include "ui/meter/tray_gauge_win32.h"
#include "ui/tray_calls.h"
#include "ui/tray_status.h"

namespace pelliton {

// The message that the icon sends its window.
inline constexpr UINT kTrayIconMessage = WM_APP + 3;

// The meter's icon in the notification area: the picture that the program draws, a tip, and
// mouse messages sent to the window as `message` (lParam: the mouse message). The shell is
// reached through shell32, loaded for a call and let go once idle (ui/tray_calls.h); without
// it, or without a notification area, Add fails and the icon is not shown.
class TrayIcon {
 public:
  TrayIcon() = default;
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Adds the icon, or adds it again after the shell restarted; whether it is shown now.
  bool Add(HWND window, UINT message);
  // Changes what the icon shows; the picture is drawn again only when it changes, and the
  // shell is told only of what changed: of the tip while the icon is watched, or along with
  // another change.
  void Update(const std::wstring& tip, const TrayPicture& picture);
  // The mouse is on the icon: its tip goes to the shell now and while it is watched.
  void MouseOn();
  // Lets the shell's library go once no call has needed it for a while; called every tick.
  void ReleaseIdleShell() noexcept;
  void Remove() noexcept;
  // A balloon from the icon with a warning's title and text (Windows 10 and 11 show it as a
  // notification); false when the icon is not shown or the shell refused it.
  bool ShowBalloon(const std::wstring& title, const std::wstring& text);
  bool Shown() const { return shown_; }
  // The picture's size in pixels, a small icon's at the notification area's DPI, and the
  // rows of its gauge.
  int Size();
  int GaugeRows() { return TrayGaugeRows(Size()); }
  // Looks the size up again (the DPI or the display changed); whether it changed. The next
  // Update draws the picture at it.
  bool Refit();

 private:
  bool Notify(DWORD action, UINT flags, const std::wstring& title = {},
              const std::wstring& text = {});
  bool CallShell(DWORD action, NOTIFYICONDATAW& data);

  HWND window_ = nullptr;
  UINT message_ = 0;
  bool shown_ = false;
  std::wstring tip_;
  std::wstring shellTip_;  // the tip as the shell has it
  TrayCalls calls_;
  HMODULE shell_ = nullptr;
  std::optional<TrayPicture> picture_;
  HICON icon_ = nullptr;
  int size_ = 0;   // 0: not looked up yet
  int drawn_ = 0;  // the size of icon_
};

// The message the shell sends every top-level window when it has started again.
UINT TaskbarCreatedMessage();

}  // namespace pelliton
