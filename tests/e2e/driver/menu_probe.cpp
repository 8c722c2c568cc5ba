// Hook module that the driver plants in the program's user-interface thread to read its open
// popup menu: menus cannot be read from another process. The driver sends the registered
// message below to the menu window, with its own window in wParam; this hook, running inside
// the program, answers with a WM_COPYDATA that holds the menu as a JSON object.

#include <windows.h>

#include <string>

#include "json.h"

namespace {

constexpr UINT kGetHMenu = 0x01E1;  // MN_GETHMENU

std::string DescribeMenu(HMENU menu) {
  int count = GetMenuItemCount(menu);
  UINT defaultPos = GetMenuDefaultItem(menu, TRUE, 0);
  std::vector<std::string> items;
  for (int i = 0; i < count; ++i) {
    wchar_t text[256] = {};
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = 255;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    items.push_back(driver::Object()
                        .Add("text", driver::Quote(text))
                        .Add("id", driver::Num(info.wID))
                        .Add("checked", driver::Bool(info.fState & MFS_CHECKED))
                        .Add("enabled", driver::Bool(!(info.fState & MFS_DISABLED)))
                        .Add("default", driver::Bool(info.fState & MFS_DEFAULT))
                        .Add("separator", driver::Bool(info.fType & MFT_SEPARATOR))
                        .Add("radio", driver::Bool(info.fType & MFT_RADIOCHECK))
                        .Add("submenu", driver::Bool(info.hSubMenu != nullptr))
                        .Str());
  }
  return driver::Object()
      .Add("count", driver::Num(count))
      .Add("default_pos", driver::Num(defaultPos == static_cast<UINT>(-1) ? -1 : defaultPos))
      .Add("items", driver::Array(items))
      .Str();
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    MenuProbeHook(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT probe = RegisterWindowMessageW(L"PellitonDriverMenuProbe");
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == probe) {
    auto menu = reinterpret_cast<HMENU>(SendMessageW(call->hwnd, kGetHMenu, 0, 0));
    std::string json = menu ? DescribeMenu(menu) : "{\"error\":\"no menu\"}";
    COPYDATASTRUCT data{1, static_cast<DWORD>(json.size()), json.data()};
    SendMessageW(reinterpret_cast<HWND>(call->wParam), WM_COPYDATA, 0,
                 reinterpret_cast<LPARAM>(&data));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
