#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/meter_window.h"

namespace pelliton {

// The program's own top-level window and message loop. The window is never seen (it has no
// size); while shown it carries the taskbar button, and it owns the meter and the dialogs.
class Win32Application final : public Application {
 public:
  Win32Application();
  ~Win32Application() override;
  Win32Application(const Win32Application&) = delete;
  Win32Application& operator=(const Win32Application&) = delete;

  HWND Handle() const { return window_; }
  // The owner of the message boxes, the error box included, from now on; a box shown over a
  // dialog belongs to the dialog.
  void SetMeterWindow(HWND meter);
  void ShowTaskbarButton();
  // The main message loop: runs until Terminate() or WM_QUIT; returns the exit code.
  int Run();

  std::int32_t ScreenWidth() const override;
  std::int32_t ScreenHeight() const override;
  ScreenRect MonitorOf(const ScreenRect& window) const override;
  std::u16string ExePath() const override;
  void ShowMessage(std::string_view text) override;
  void ShowBox(std::string_view text, std::string_view caption) override;
  bool AskYesNo(std::string_view text, std::string_view caption) override;
  void ProcessMessages() override;
  void Terminate() override;
  bool Terminated() const override { return terminated_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  int Box(std::wstring_view text, std::wstring_view caption, UINT type) const;

  HWND window_ = nullptr;
  HWND meter_ = nullptr;
  bool terminated_ = false;
};

}  // namespace pelliton
