// What the meter's commands ask of the system: the colour dialog and the shell's "open".
#include "ui/meter/meter_window_win32.h"

#include <commdlg.h>
#include <shellapi.h>

#include "ui/ansi_text_win32.h"
#include "ui/system_function_win32.h"

namespace pelliton {

namespace {

// The dialog's custom colours live as long as the program, like the dialog's own colour;
// nothing of them is stored.
COLORREF g_customColors[16] = {};

using ChooseColorFunction = BOOL(WINAPI*)(LPCHOOSECOLORW);
using ShellExecuteFunction = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);

}  // namespace

std::optional<std::int32_t> Win32MeterWindow::ExecuteColorDialog1(std::int32_t initial) {
  CHOOSECOLORW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = window_;
  dialog.rgbResult = static_cast<COLORREF>(initial);
  dialog.lpCustColors = g_customColors;
  dialog.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
  static const auto chooseColor =
      SystemFunction<ChooseColorFunction>(L"comdlg32.dll", "ChooseColorW");
  if (chooseColor == nullptr || !chooseColor(&dialog)) return std::nullopt;
  return static_cast<std::int32_t>(dialog.rgbResult);
}

void Win32MeterWindow::ShellOpen(std::string_view target) {
  const std::wstring wide = WidenAnsi(target);
  static const auto shellExecute =
      SystemFunction<ShellExecuteFunction>(L"shell32.dll", "ShellExecuteW");
  if (shellExecute == nullptr) return;  // no shell, nothing to open with: not reported
  shellExecute(window_, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

}  // namespace pelliton
