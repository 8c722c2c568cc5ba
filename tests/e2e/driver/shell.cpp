// The notification area's icons as Wine shows them without a host tray: a "Wine System Tray"
// window whose children are the icons, each with a tooltip of its own.

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "driver.h"
#include "json.h"

namespace driver {

// Each icon's place and centre, and the text its tooltip showed last (empty before it
// showed); made with the icon as its parent, the tooltip is owned by the tray window, and so
// is the balloon, a tooltip of the balloon style.
std::string TrayReport() {
  HWND tray = FindTop(L"__winex11_standalone_tray", L"", false);
  std::vector<std::string> icons;
  for (HWND icon = tray ? GetWindow(tray, GW_CHILD) : nullptr; icon;
       icon = GetWindow(icon, GW_HWNDNEXT)) {
    if (ClassOf(icon) != L"__winex11_tray_icon" || !IsWindowVisible(icon)) continue;
    std::wstring tip, balloon;  // the balloon: a tooltip of the balloon style that is up
    for (HWND window : TopLevelWindows()) {
      if (ClassOf(window) != L"tooltips_class32" || GetWindow(window, GW_OWNER) != tray) continue;
      if ((GetWindowLongPtrW(window, GWL_STYLE) & TTS_BALLOON) == 0) {
        tip = tip.empty() ? TextOf(window) : tip;
      } else if (IsWindowVisible(window) && balloon.empty()) {
        balloon = TextOf(window);
      }
    }
    const RECT r = RectOf(icon);
    const std::string at =
        "[" + Num((r.left + r.right) / 2) + "," + Num((r.top + r.bottom) / 2) + "]";
    icons.push_back(Object().Add("rect", Rect(r)).Add("at", at).Add("tip", Quote(tip))
                        .Add("balloon", Quote(balloon))
                        .Str());
  }
  return Object().Add("ok", "true").Add("icons", Array(icons)).Str();
}

}  // namespace driver
