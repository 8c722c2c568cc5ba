// Drives Pelliton's windows from outside, for the end-to-end scenarios. Reads one request a
// line on stdin, its fields separated by tabs, and answers each with one JSON object a line
// on stdout: {"ok":true,...} or {"ok":false,"error":"..."}. Every wait has a timeout given
// in the request, and every message sent to the program gives up after two seconds, so a
// hung program cannot hang the driver. Requests:
//
//   screen                          primary screen size, the whole desktop's width, and the
//                                   monitors (SM_CMONITORS; each one's rectangle, work area
//                                   and whether it is the primary, as EnumDisplayMonitors lists)
//   tray                            the notification area's icons: window, place, last tip,
//                                   the text of a balloon that is up
//   windows                         every top-level window (for diagnostics)
//   wait CLASS TITLE MS             a visible top-level window (empty field: any)
//   gone HWND MS                    until HWND is no window or is hidden
//   window HWND                     a window and its child controls
//   meter                           the meter window, its labels, the application window
//   gui HWND                        its client size; focus, active window, capture of its thread
//   listbox HWND ID                 a list box's lines, selection, top line and line height,
//                                   and OK's state
//   listview HWND ID                a list view's lines: cells, check box, place; OK's state
//   select HWND ID INDEX            a user's selection of a list line
//   click HWND ID                   presses a dialog button (posted BM_CLICK)
//   close HWND                      posts WM_CLOSE to a window (its close box)
//   focus HWND                      the control that has the focus in HWND's thread
//   trackbar HWND ID                a track bar's range, position, line size and tick count
//   move HWND X Y                   moves a window, as a drag of its caption would
//   msgbox CAPTION MS               a visible message box (empty CAPTION: any)
//   command ID                      posts the menu command ID to the meter window
//   menu MS                         the open popup menu: position and items
//   regget KEY NAME                 a value under HKEY_CURRENT_USER
//   regall KEY                      the names of a key's values under HKEY_CURRENT_USER
//   tick N                          N ticks of the meter: WM_TIMER 1 sent to the meter window,
//                                   which runs the timer's handler; each returns when done
//   catch                           lays a window of the driver under the meter, over its
//                                   rectangle, that notes the presses reaching it
//   caught MS                       the presses it noted (screen points), after MS of pumping
//   resources                       the program's GDI and USER objects, counted from inside
//                                   (resource_probe.cpp), its process id and kernel handles
//   dpi HWND NEW OLD                tells the window of a move from a monitor of OLD DPI to one
//                                   of NEW (dpi_probe.cpp); the window rectangle suggested

#include <windows.h>

#include <commctrl.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "driver.h"
#include "json.h"

namespace driver {

namespace {

std::string RegGet(const std::wstring& key, const std::wstring& name) {
  HKEY hkey = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &hkey) != ERROR_SUCCESS)
    return R"({"ok":true,"exists":false,"key_exists":false})";
  DWORD type = 0, size = 0;
  LONG rc = RegQueryValueExW(hkey, name.c_str(), nullptr, &type, nullptr, &size);
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  if (rc == ERROR_SUCCESS)
    rc = RegQueryValueExW(hkey, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                          &size);
  RegCloseKey(hkey);
  if (rc != ERROR_SUCCESS) return R"({"ok":true,"exists":false,"key_exists":true})";
  value.resize(wcslen(value.c_str()));
  Object answer;
  answer.Add("ok", "true").Add("exists", "true").Add("type", Num(type));
  if (type == REG_SZ || type == REG_EXPAND_SZ) answer.Add("value", Quote(value));
  return answer.Str();
}

std::string RegAll(const std::wstring& key) {
  HKEY hkey = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &hkey) != ERROR_SUCCESS)
    return R"({"ok":true,"key_exists":false,"names":[]})";
  std::vector<std::string> names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD length = 16384;
    if (RegEnumValueW(hkey, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.push_back(Quote(std::wstring_view(name, length)));
  }
  RegCloseKey(hkey);
  return Object().Add("ok", "true").Add("key_exists", "true").Add("names", Array(names)).Str();
}

std::string Monitors() {
  std::vector<std::string> all;
  EnumDisplayMonitors(
      nullptr, nullptr,
      [](HMONITOR monitor, HDC, LPRECT, LPARAM list) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        if (GetMonitorInfoW(monitor, &info))
          reinterpret_cast<std::vector<std::string>*>(list)->push_back(
              Object()
                  .Add("rect", Rect(info.rcMonitor))
                  .Add("work", Rect(info.rcWork))
                  .Add("primary", Bool(info.dwFlags & MONITORINFOF_PRIMARY))
                  .Str());
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  return Array(all);
}

std::vector<std::string> Split(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

std::string Run(const std::vector<std::string>& f) {
  const std::string& cmd = f[0];
  auto arg = [&](size_t i) -> const std::string& {
    if (i >= f.size()) Fail(cmd + ": missing argument " + Num(static_cast<long long>(i)));
    return f[i];
  };
  auto ms = [&](size_t i) { return static_cast<DWORD>(std::stoul(arg(i))); };
  if (cmd == "ping") return R"({"ok":true})";
  if (cmd == "screen")
    return Object()
        .Add("ok", "true")
        .Add("width", Num(GetSystemMetrics(SM_CXSCREEN)))
        .Add("height", Num(GetSystemMetrics(SM_CYSCREEN)))
        .Add("desktop_width", Num(GetSystemMetrics(SM_CXVIRTUALSCREEN)))
        .Add("monitor_count", Num(GetSystemMetrics(SM_CMONITORS)))
        .Add("monitors", Monitors())
        .Str();
  if (cmd == "tray") return TrayReport();
  if (cmd == "windows") {
    std::vector<std::string> all;
    for (HWND hwnd : TopLevelWindows())
      all.push_back(Describe(hwnd));
    return Object().Add("ok", "true").Add("windows", Array(all)).Str();
  }
  if (cmd == "wait") {
    std::wstring cls = driver::Wide(arg(1)), title = driver::Wide(arg(2));
    HWND hwnd = WaitFor(ms(3), [&] { return FindTop(cls, title, true); });
    if (!hwnd) Fail("timeout: no window " + arg(1) + " \"" + arg(2) + "\"");
    return Object().Add("ok", "true").Add("hwnd", Num(reinterpret_cast<LONG_PTR>(hwnd))).Str();
  }
  if (cmd == "gone") {
    HWND hwnd = ParseHwnd(arg(1));
    bool gone = WaitFor(ms(2), [&] { return !IsWindow(hwnd) || !IsWindowVisible(hwnd); });
    if (!gone) Fail("timeout: window " + arg(1) + " still there");
    return R"({"ok":true})";
  }
  if (cmd == "window") {
    std::string all = DescribeWithChildren(NeedWindow(arg(1)));
    return std::string("{\"ok\":true,") + all.substr(1);
  }
  if (cmd == "meter") return MeterReport();
  if (cmd == "gui") return GuiReport(NeedWindow(arg(1)));
  if (cmd == "listbox") {
    HWND dialog = NeedWindow(arg(1));
    HWND list = Control(dialog, arg(2));
    auto count = Send(list, LB_GETCOUNT, 0, 0);
    std::vector<std::string> lines;
    for (LRESULT i = 0; i < count; ++i) {
      auto length = Send(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
      std::wstring line(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
      Send(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
      line.resize(wcslen(line.c_str()));
      lines.push_back(Quote(line));
    }
    HWND ok = GetDlgItem(dialog, IDOK);
    return Object()
        .Add("ok", "true")
        .Add("items", Array(lines))
        .Add("selected", Num(Send(list, LB_GETCURSEL, 0, 0)))
        .Add("top", Num(Send(list, LB_GETTOPINDEX, 0, 0)))
        .Add("item_height", Num(Send(list, LB_GETITEMHEIGHT, 0, 0)))
        .Add("ok_enabled", Bool(ok && IsWindowEnabled(ok)))
        .Add("cancel_enabled", Bool(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL))))
        .Str();
  }
  if (cmd == "listview") {
    HWND dialog = NeedWindow(arg(1));
    return ListViewReport(dialog, Control(dialog, arg(2)));
  }
  if (cmd == "select") {
    HWND dialog = NeedWindow(arg(1));
    HWND list = Control(dialog, arg(2));
    int id = std::stoi(arg(2));
    auto index = static_cast<WPARAM>(std::stoi(arg(3)));
    if (Send(list, LB_SETCURSEL, index, 0) == LB_ERR) Fail("no line " + arg(3));
    Send(dialog, WM_COMMAND, MAKEWPARAM(id, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    return R"({"ok":true})";
  }
  if (cmd == "click") {
    HWND button = Control(NeedWindow(arg(1)), arg(2));
    if (!PostMessageW(button, BM_CLICK, 0, 0)) Fail("cannot post to button " + arg(2));
    return R"({"ok":true})";
  }
  if (cmd == "close") {
    if (!PostMessageW(NeedWindow(arg(1)), WM_CLOSE, 0, 0)) Fail("cannot post to " + arg(1));
    return R"({"ok":true})";
  }
  if (cmd == "focus") {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(NeedWindow(arg(1)), nullptr), &info))
      Fail("no thread information");
    return Object()
        .Add("ok", "true")
        .Add("hwnd", Num(reinterpret_cast<LONG_PTR>(info.hwndFocus)))
        .Add("id", Num(info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0))
        .Str();
  }
  if (cmd == "trackbar") {
    HWND bar = Control(NeedWindow(arg(1)), arg(2));
    return Object()
        .Add("ok", "true")
        .Add("min", Num(Send(bar, TBM_GETRANGEMIN, 0, 0)))
        .Add("max", Num(Send(bar, TBM_GETRANGEMAX, 0, 0)))
        .Add("pos", Num(Send(bar, TBM_GETPOS, 0, 0)))
        .Add("line", Num(Send(bar, TBM_GETLINESIZE, 0, 0)))
        .Add("tics", Num(Send(bar, TBM_GETNUMTICS, 0, 0)))
        .Str();
  }
  if (cmd == "move") {
    if (!SetWindowPos(NeedWindow(arg(1)), nullptr, std::stoi(arg(2)), std::stoi(arg(3)), 0, 0,
                      SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE))
      Fail("cannot move window " + arg(1));
    return R"({"ok":true})";
  }
  if (cmd == "msgbox") {
    std::wstring caption = driver::Wide(arg(1));
    HWND box = WaitFor(ms(2), [&]() -> HWND {
      for (HWND hwnd : TopLevelWindows())
        if (IsWindowVisible(hwnd) && IsMessageBox(hwnd) &&
            (caption.empty() || CaptionOf(hwnd) == caption))
          return hwnd;
      return nullptr;
    });
    if (!box) Fail("timeout: no message box \"" + arg(1) + "\"");
    return DescribeMessageBox(box);
  }
  if (cmd == "command") {
    auto id = static_cast<WPARAM>(std::stoi(arg(1)));
    if (!PostMessageW(Meter(), WM_COMMAND, MAKEWPARAM(id, 0), 0)) Fail("cannot post");
    return R"({"ok":true})";
  }
  if (cmd == "menu") return MenuReport(ms(1));
  if (cmd == "regget") return RegGet(driver::Wide(arg(1)), driver::Wide(arg(2)));
  if (cmd == "regall") return RegAll(driver::Wide(arg(1)));
  if (cmd == "tick") return Ticks(std::stoi(arg(1)));
  if (cmd == "resources") return Resources();
  if (cmd == "dpi") return ChangeDpi(NeedWindow(arg(1)), std::stoi(arg(2)), std::stoi(arg(3)));
  if (cmd == "catch") return Catch();
  if (cmd == "caught") return Caught(ms(1));
  Fail("unknown request " + cmd);
}

}  // namespace

}  // namespace driver

int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::string answer;
    try {
      answer = driver::Run(driver::Split(line));
    } catch (const driver::Failure& failure) {
      answer = driver::Object()
                   .Add("ok", "false")
                   .Add("error", driver::Quote(driver::Wide(failure.message)))
                   .Str();
    } catch (const std::exception& e) {
      answer = driver::Object()
                   .Add("ok", "false")
                   .Add("error", driver::Quote(driver::Wide(e.what())))
                   .Str();
    }
    std::fwrite(answer.data(), 1, answer.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  return 0;
}
