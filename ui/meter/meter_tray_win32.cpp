// The meter's side of its notification-area icon: what it shows, and what a press on it does.
#include <string>

#include "ui/ansi_text_win32.h"
#include "ui/meter/meter_window_win32.h"

namespace pelliton {

namespace {

std::string LabelText(HWND label) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(label)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(GetWindowTextW(label, text.data(), static_cast<int>(text.size()))));
  return NarrowAnsi(text);
}

}  // namespace

// An icon that cannot be added (no notification area yet) leaves the meter shown; the shell
// says when it has started, and the icon is added then.
void Win32MeterWindow::AddTrayIcon() {
  tray_.Refit();
  ShowTrayStatus(trayStatus_);
  tray_.Add(window_, kTrayIconMessage);
  ApplyMeterShown();
}

// The shell's window that shows the icon, made or raised now, may take the foreground from
// the meter shown a moment ago, or from a dialog of the start-up: it goes back, or the first
// presses on the meter would open no menu.
void Win32MeterWindow::AddTrayIconAfterShow() {
  trayPending_ = false;
  if (tray_.Shown()) return;
  HWND foreground = GetForegroundWindow();
  if (GetWindowThreadProcessId(foreground, nullptr) != GetCurrentThreadId()) foreground = nullptr;
  AddTrayIcon();
  if (foreground != nullptr && GetForegroundWindow() != foreground)
    SetForegroundWindow(foreground);
}

void Win32MeterWindow::ShowTrayStatus(const TrayStatus& status) {
  trayStatus_ = status;
  const std::string tip = TrayTip(LabelText(labels_[0]), LabelText(labels_[1]),
                                  LabelText(labels_[2]), status.allowanceLine);
  tray_.Update(WidenAnsi(tip),
               TrayPictureOf(status, static_cast<std::int32_t>(textColor_), tray_.GaugeRows()));
}

// The picture drawn again at the notification area's small-icon size, where it changed.
void Win32MeterWindow::RefitTrayIcon() {
  if (tray_.Refit()) ShowTrayStatus(trayStatus_);
}

void Win32MeterWindow::SetMeterShown(bool shown) {
  meterWanted_ = shown;
  ApplyMeterShown();
}

void Win32MeterWindow::ApplyMeterShown() {
  if (MeterVisible() == (IsWindowVisible(window_) != FALSE)) return;
  ShowWindow(window_, MeterVisible() ? SW_SHOWNA : SW_HIDE);
}

// A left click shows the meter as another start does; a right click opens the popup menu
// where the mouse is. While a dialog is up the meter takes no input, and neither does its
// icon but to bring it forward.
void Win32MeterWindow::OnTrayMessage(LPARAM lParam) {
  const auto mouse = static_cast<UINT>(lParam);
  tray_.MouseOn();
  if (mouse == WM_LBUTTONUP || (mouse == WM_RBUTTONUP && !IsWindowEnabled(window_))) {
    ShowForAMoment();
  } else if (mouse == WM_RBUTTONUP) {
    POINT at{};
    GetCursorPos(&at);
    OpenPopupMenu({at.x, at.y});
  }
}

}  // namespace pelliton
