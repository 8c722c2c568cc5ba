// What the desktop offers beside the program's windows: the monitors, and the icons of the
// notification area as Wine shows them without a host tray (a "Wine System Tray" window
// whose child windows are the icons, each with a tooltip window of its own).

#include <windows.h>

#include <string>
#include <vector>

#include "driver.h"
#include "json.h"

namespace driver {

namespace {

constexpr wchar_t kStandaloneTray[] = L"__winex11_standalone_tray";
constexpr wchar_t kTrayIcon[] = L"__winex11_tray_icon";

// The text of the tooltip made for `icon`: what it showed last (empty before it showed).
// Made with the icon as its parent, it is owned by the tray window, the icon's top level.
std::wstring TipOf(HWND icon) {
  HWND tray = GetAncestor(icon, GA_ROOT);
  for (HWND window : TopLevelWindows()) {
    if (ClassOf(window) != L"tooltips_class32") continue;
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner != icon && owner != tray) continue;
    std::wstring text = TextOf(window);
    if (!text.empty()) return text;
  }
  return {};
}

}  // namespace

std::string MonitorsReport() {
  std::vector<std::string> monitors;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, LPRECT, LPARAM list) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        GetMonitorInfoW(monitor, &info);
        reinterpret_cast<std::vector<std::string>*>(list)->push_back(
            Object()
                .Add("rect", Rect(info.rcMonitor))
                .Add("work", Rect(info.rcWork))
                .Add("primary", Bool(info.dwFlags & MONITORINFOF_PRIMARY))
                .Str());
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&monitors));
  return Object().Add("ok", "true").Add("monitors", Array(monitors)).Str();
}

std::string TrayReport() {
  HWND tray = FindTop(kStandaloneTray, L"", false);
  std::vector<std::string> icons;
  for (HWND icon = tray ? GetWindow(tray, GW_CHILD) : nullptr; icon;
       icon = GetWindow(icon, GW_HWNDNEXT)) {
    if (ClassOf(icon) != kTrayIcon || !IsWindowVisible(icon)) continue;
    icons.push_back(Object()
                        .Add("hwnd", Num(reinterpret_cast<LONG_PTR>(icon)))
                        .Add("rect", Rect(RectOf(icon)))
                        .Add("tip", Quote(TipOf(icon)))
                        .Str());
  }
  return Object()
      .Add("ok", "true")
      .Add("tray", Num(reinterpret_cast<LONG_PTR>(tray)))
      .Add("icons", Array(icons))
      .Str();
}

}  // namespace driver
