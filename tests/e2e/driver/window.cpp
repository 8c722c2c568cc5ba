// Window helpers for the driver: reading windows and controls from outside, finding and
// describing them, message boxes, the meter's report, and the catcher under the meter.

#include <string>
#include <utility>
#include <vector>

#include "driver.h"
#include "json.h"
#include "ui/ids.h"

namespace driver {

namespace {

std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(
      parent,
      [](HWND hwnd, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// How the window's process takes the DPI (0 unaware, 1 the system's, 2 per monitor), and the
// window's DPI; -1 where the system cannot tell.
std::pair<int, int> DpiOf(HWND hwnd) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  const auto context = reinterpret_cast<HANDLE(WINAPI*)(HWND)>(
      reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
  const auto awareness = reinterpret_cast<int(WINAPI*)(HANDLE)>(
      reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
  const auto dpi = reinterpret_cast<UINT(WINAPI*)(HWND)>(
      reinterpret_cast<void (*)()>(GetProcAddress(user32, "GetDpiForWindow")));
  return {context && awareness ? awareness(context(hwnd)) : -1,
          dpi ? static_cast<int>(dpi(hwnd)) : -1};
}

std::string DescribeControl(HWND hwnd) {
  std::string all = Describe(hwnd);
  all.pop_back();
  return all + ",\"text\":" + Quote(TextOf(hwnd)) + "}";
}

}  // namespace

// A window of the driver's own, of a class registered for it.
HWND DriverWindow(const wchar_t* className, WNDPROC procedure, DWORD exStyle, DWORD style,
                  HWND parent) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = procedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  RegisterClassW(&wc);
  return CreateWindowExW(exStyle, className, L"", style, 0, 0, 0, 0, parent, nullptr, wc.hInstance,
                         nullptr);
}

LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(hwnd, msg, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
    Fail(std::string("message ") + Num(msg) + " to window " +
         Num(reinterpret_cast<LONG_PTR>(hwnd)) + " timed out");
  return static_cast<LRESULT>(result);
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

std::wstring CaptionOf(HWND hwnd) {
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  return text;
}

// The control's own text, through WM_GETTEXT (the control answers, not a cache). One message
// with room to spare: a length asked for first may be stale by the time the text is read.
std::wstring TextOf(HWND hwnd) {
  auto length = static_cast<size_t>(Send(hwnd, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1024, L'\0');
  Send(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(wcslen(text.c_str()));
  return text;
}

RECT RectOf(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

// The client area in screen coordinates.
RECT ClientRectOf(HWND hwnd) {
  RECT r{};
  GetClientRect(hwnd, &r);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HWND ParseHwnd(const std::string& field) {
  return reinterpret_cast<HWND>(static_cast<LONG_PTR>(std::stoll(field)));
}

HWND NeedWindow(const std::string& field) {
  HWND hwnd = ParseHwnd(field);
  if (!IsWindow(hwnd)) Fail("no window " + field);
  return hwnd;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> found;
  EnumWindows(
      [](HWND hwnd, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND FindTop(const std::wstring& cls, const std::wstring& title, bool visibleOnly) {
  for (HWND hwnd : TopLevelWindows()) {
    if (visibleOnly && !IsWindowVisible(hwnd)) continue;
    if (!cls.empty() && ClassOf(hwnd) != cls) continue;
    if (!title.empty() && CaptionOf(hwnd) != title) continue;
    return hwnd;
  }
  return nullptr;
}

std::string Describe(HWND hwnd) {
  LONG_PTR exStyle = GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  return Object()
      .Add("hwnd", Num(reinterpret_cast<LONG_PTR>(hwnd)))
      .Add("class", Quote(ClassOf(hwnd)))
      .Add("caption", Quote(CaptionOf(hwnd)))
      .Add("id", Num(GetDlgCtrlID(hwnd)))
      .Add("rect", driver::Rect(RectOf(hwnd)))
      .Add("client", driver::Rect(ClientRectOf(hwnd)))
      .Add("visible", Bool(IsWindowVisible(hwnd)))
      .Add("enabled", Bool(IsWindowEnabled(hwnd)))
      .Add("topmost", Bool(exStyle & WS_EX_TOPMOST))
      .Add("style", Num(GetWindowLongPtrW(hwnd, GWL_STYLE)))
      .Add("exstyle", Num(exStyle))
      .Add("pid", Num(pid))
      .Str();
}

std::string DescribeWithChildren(HWND hwnd) {
  std::vector<std::string> children;
  for (HWND child : Children(hwnd))
    children.push_back(DescribeControl(child));
  std::string all = Describe(hwnd);
  all.pop_back();
  return all + ",\"children\":" + Array(children) + "}";
}

HWND Control(HWND dialog, const std::string& id) {
  HWND control = GetDlgItem(dialog, std::stoi(id));
  if (!control) Fail("no control " + id);
  return control;
}

HWND Meter() {
  HWND meter = FindTop(PELLITON_METER_CLASS, PELLITON_TITLE, false);
  if (!meter) Fail("no meter window");
  return meter;
}

// A message box: a dialog with the text static 0xFFFF and nothing but statics and buttons.
bool IsMessageBox(HWND hwnd) {
  if (ClassOf(hwnd) != L"#32770" || !GetDlgItem(hwnd, 0xFFFF)) return false;
  for (HWND child : Children(hwnd)) {
    std::wstring cls = ClassOf(child);
    if (cls != L"Static" && cls != L"Button") return false;
  }
  return true;
}

std::string DescribeMessageBox(HWND box) {
  std::vector<std::string> buttons;
  HWND icon = nullptr;
  for (HWND child : Children(box)) {
    std::wstring cls = ClassOf(child);
    if (cls == L"Button" && IsWindowVisible(child))
      buttons.push_back(
          Object().Add("id", Num(GetDlgCtrlID(child))).Add("text", Quote(TextOf(child))).Str());
    if (cls == L"Static" && (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
      icon = child;
  }
  bool hasIcon = icon && Send(icon, STM_GETICON, 0, 0) != 0;
  return Object()
      .Add("ok", "true")
      .Add("hwnd", Num(reinterpret_cast<LONG_PTR>(box)))
      .Add("caption", Quote(CaptionOf(box)))
      .Add("owner", Num(reinterpret_cast<LONG_PTR>(GetWindow(box, GW_OWNER))))
      .Add("text", Quote(TextOf(GetDlgItem(box, 0xFFFF))))
      .Add("buttons", Array(buttons))
      .Add("icon", Bool(hasIcon))
      .Add("icon_rect", driver::Rect(icon ? RectOf(icon) : RECT{}))
      .Add("rect", driver::Rect(RectOf(box)))
      .Str();
}

std::string MeterReport() {
  HWND meter = Meter();
  std::vector<std::string> labels;
  for (int id : {IDC_LABEL1, IDC_LABEL2, IDC_LABEL3}) {
    HWND label = GetDlgItem(meter, id);
    if (!label) Fail(std::string("meter has no label ") + Num(id));
    labels.push_back(Object()
                         .Add("id", Num(id))
                         .Add("text", Quote(TextOf(label)))
                         .Add("rect", driver::Rect(RectOf(label)))
                         .Add("visible", Bool(IsWindowVisible(label)))
                         .Str());
  }
  HWND app = FindTop(PELLITON_APP_CLASS, L"", false);
  const auto [awareness, dpi] = DpiOf(meter);
  std::string all = Describe(meter);
  all.pop_back();
  return all + ",\"ok\":true,\"labels\":" + Array(labels) +
         ",\"app_exists\":" + Bool(app != nullptr) +
         ",\"app_visible\":" + Bool(app && IsWindowVisible(app)) +
         ",\"dpi_awareness\":" + Num(awareness) + ",\"dpi\":" + Num(dpi) + "}";
}

// The window's client size, and the focus, active window and capture of its thread.
std::string GuiReport(HWND hwnd) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, nullptr), &info))
    Fail("no input state for the window's thread");
  RECT client{};
  GetClientRect(hwnd, &client);
  const auto handle = [](HWND window) { return Num(reinterpret_cast<LONG_PTR>(window)); };
  return Object()
      .Add("ok", "true")
      .Add("client_width", Num(client.right))
      .Add("client_height", Num(client.bottom))
      .Add("focus", handle(info.hwndFocus))
      .Add("focus_id", Num(info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0))
      .Add("active", handle(info.hwndActive))
      .Add("capture", handle(info.hwndCapture))
      .Str();
}

namespace {

// The presses that reached the catcher, a window of the driver under the meter: what the
// meter lets through to whatever lies beneath.
std::vector<std::string> g_presses;

LRESULT CALLBACK CatcherProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;  // the meter keeps the keyboard
  if (msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN) {
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ClientToScreen(hwnd, &at);
    g_presses.push_back(Object().Add("x", Num(at.x)).Add("y", Num(at.y)).Str());
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

// Over the meter's rectangle, under it. (Wine maps it at the top of the X stack all the same:
// the scenario raises the meter's X window again.)
std::string Catch() {
  static HWND catcher = DriverWindow(L"PellitonDriverCatcher", CatcherProc,
                                     WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, WS_POPUP, nullptr);
  const RECT r = RectOf(Meter());
  if (!SetWindowPos(catcher, HWND_BOTTOM, r.left, r.top, r.right - r.left, r.bottom - r.top,
                    SWP_NOACTIVATE | SWP_SHOWWINDOW))
    Fail("cannot place the catcher");
  g_presses.clear();
  return R"({"ok":true})";
}

// The presses noted since, in screen coordinates, after pumping messages for `waitMs`.
std::string Caught(DWORD waitMs) {
  const DWORD start = GetTickCount();
  for (MSG msg; GetTickCount() - start < waitMs; Sleep(20))
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&msg);
  return Object().Add("ok", "true").Add("presses", Array(g_presses)).Str();
}

}  // namespace driver
