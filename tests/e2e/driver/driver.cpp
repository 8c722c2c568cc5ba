// Drives Pelliton's windows from outside, for the end-to-end scenarios. Reads one request a
// line on stdin, its fields separated by tabs, and answers each with one JSON object a line
// on stdout: {"ok":true,...} or {"ok":false,"error":"..."}. Every wait has a timeout given
// in the request, and every message sent to the program gives up after two seconds, so a
// hung program cannot hang the driver. Requests:
//
//   screen                          primary screen size
//   windows                         every top-level window (for diagnostics)
//   wait CLASS TITLE MS             a visible top-level window (empty field: any)
//   gone HWND MS                    until HWND is no window or is hidden
//   window HWND                     a window and its child controls
//   meter                           the meter window, its labels, the application window
//   listbox HWND ID                 a list box's lines and selection, and OK's state
//   select HWND ID INDEX            a user's selection of a list line
//   click HWND ID                   presses a dialog button (posted BM_CLICK)
//   msgbox CAPTION MS               a visible message box (empty CAPTION: any)
//   command ID                      posts the menu command ID to the meter window
//   menu MS                         the open popup menu: position and items
//   regget KEY NAME                 a value under HKEY_CURRENT_USER
//   regall KEY                      the names of a key's values under HKEY_CURRENT_USER
//   tick N                          N ticks of the meter: WM_TIMER 1 sent to the meter window,
//                                   which runs the timer's handler; each returns when done
//   resources                       the program's GDI and USER objects, counted from inside
//                                   (resource_probe.cpp), its process id and kernel handles

#include <windows.h>
#include <winternl.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "json.h"
#include "ui/ids.h"

using driver::Array;
using driver::Bool;
using driver::Num;
using driver::Object;
using driver::Quote;

namespace {

constexpr UINT kSendTimeoutMs = 2000;
constexpr UINT kGetHMenu = 0x01E1;  // MN_GETHMENU

struct Failure {
  std::string message;
};

[[noreturn]] void Fail(const std::string& message) {
  throw Failure{message};
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

HWND FindTop(const std::wstring& cls, const std::wstring& title, bool visibleOnly) {
  for (HWND hwnd : TopLevelWindows()) {
    if (visibleOnly && !IsWindowVisible(hwnd)) continue;
    if (!cls.empty() && ClassOf(hwnd) != cls) continue;
    if (!title.empty() && CaptionOf(hwnd) != title) continue;
    return hwnd;
  }
  return nullptr;
}

template <typename Probe>
auto WaitFor(DWORD timeoutMs, Probe probe) {
  DWORD start = GetTickCount();
  for (;;) {
    if (auto found = probe()) return found;
    if (GetTickCount() - start >= timeoutMs) return decltype(probe())();
    Sleep(20);
  }
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
      .Add("visible", Bool(IsWindowVisible(hwnd)))
      .Add("enabled", Bool(IsWindowEnabled(hwnd)))
      .Add("topmost", Bool(exStyle & WS_EX_TOPMOST))
      .Add("style", Num(GetWindowLongPtrW(hwnd, GWL_STYLE)))
      .Add("exstyle", Num(exStyle))
      .Add("pid", Num(pid))
      .Str();
}

std::string DescribeControl(HWND hwnd) {
  std::string all = Describe(hwnd);
  all.pop_back();
  return all + ",\"text\":" + Quote(TextOf(hwnd)) + "}";
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
  std::string all = Describe(meter);
  all.pop_back();
  return all + ",\"ok\":true,\"labels\":" + Array(labels) +
         ",\"app_exists\":" + Bool(app != nullptr) +
         ",\"app_visible\":" + Bool(app && IsWindowVisible(app)) + "}";
}

// Receives the menu probe's answer while the driver waits in SendMessageTimeout.
std::string g_probeAnswer;

LRESULT CALLBACK ReceiverProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COPYDATA) {
    const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
    g_probeAnswer.assign(static_cast<const char*>(data->lpData), data->cbData);
    return TRUE;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND Receiver() {
  static HWND receiver = [] {
    WNDCLASSW wc{};
    wc.lpfnWndProc = ReceiverProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"PellitonDriverReceiver";
    RegisterClassW(&wc);
    return CreateWindowW(wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                         nullptr);
  }();
  return receiver;
}

// Plants a hook of the probe module in the window's thread and sends it the hook's message;
// the hook answers with a WM_COPYDATA.
std::string Probe(HWND window, const char* hookName, const wchar_t* message) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dll = path;
  dll = dll.substr(0, dll.find_last_of(L"\\/") + 1) + L"pelliton_menu_probe.dll";
  HMODULE module = LoadLibraryW(dll.c_str());
  if (!module) Fail(std::string("cannot load ") + driver::Utf8(dll));
  auto hookProc =
      reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(module, hookName)));
  if (!hookProc) Fail(std::string("no ") + hookName + " in the probe module");
  DWORD thread = GetWindowThreadProcessId(window, nullptr);
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, hookProc, module, thread);
  if (!hook) Fail("cannot hook the window's thread");
  g_probeAnswer.clear();
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(window, RegisterWindowMessageW(message), reinterpret_cast<WPARAM>(Receiver()),
                      0, SMTO_NORMAL, kSendTimeoutMs, &ignored);
  UnhookWindowsHookEx(hook);
  if (g_probeAnswer.empty()) Fail("the probe did not answer");
  return g_probeAnswer;
}

// Asks the hook module to describe the open menu.
std::string ProbeMenu(HWND menuWindow) {
  return Probe(menuWindow, "MenuProbeHook", L"PellitonDriverMenuProbe");
}

// Kernel object handles that a process holds, from the system's handle list (Wine's
// GetProcessHandleCount answers 0).
long long KernelHandles(DWORD pid) {
  struct Entry {  // SYSTEM_HANDLE_ENTRY
    ULONG ownerPid;
    BYTE objectType, handleFlags;
    USHORT handleValue;
    PVOID object;
    ULONG accessMask;
  };
  // SYSTEM_HANDLE_INFORMATION: a ULONG count, then the entries at pointer alignment.
  constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
  constexpr auto kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
  std::vector<ULONG_PTR> buffer(1 << 14);
  NTSTATUS status;
  while ((status = NtQuerySystemInformation(kSystemHandleInformation, buffer.data(),
                                            static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR)),
                                            nullptr)) == kInfoLengthMismatch &&
         buffer.size() < (1u << 24))
    buffer.resize(buffer.size() * 2);
  if (status != 0) return -1;
  const auto count = static_cast<ULONG>(buffer[0]);
  const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + 1);
  long long held = 0;
  for (ULONG i = 0; i < count; ++i)
    held += entries[i].ownerPid == pid;
  return held;
}

std::string Resources() {
  HWND meter = Meter();
  DWORD pid = 0;
  GetWindowThreadProcessId(meter, &pid);
  std::string figures = Probe(meter, "ResourceProbeHook", L"PellitonDriverResourceProbe");
  return "{\"ok\":true,\"handles\":" + Num(KernelHandles(pid)) + "," + figures.substr(1);
}

// Runs the meter's timer handler N times, one after the other, and says how long that took.
std::string Ticks(int count) {
  HWND meter = Meter();
  LARGE_INTEGER frequency{}, start{}, end{};
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  for (int i = 0; i < count; ++i)
    Send(meter, WM_TIMER, 1, 0);
  QueryPerformanceCounter(&end);
  const double ms = static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                    static_cast<double>(frequency.QuadPart);
  return Object()
      .Add("ok", "true")
      .Add("ticks", Num(count))
      .Add("ms", Num(static_cast<long long>(ms + 0.5)))
      .Str();
}

std::string MenuReport(DWORD timeoutMs) {
  HWND menu = WaitFor(timeoutMs, [] { return FindTop(L"#32768", L"", true); });
  if (!menu) Fail("timeout: no popup menu");
  std::string items = ProbeMenu(menu);
  return Object()
      .Add("ok", "true")
      .Add("hwnd", Num(reinterpret_cast<LONG_PTR>(menu)))
      .Add("rect", driver::Rect(RectOf(menu)))
      .Add("menu", items)
      .Str();
}

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
        .Str();
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
        .Add("ok_enabled", Bool(ok && IsWindowEnabled(ok)))
        .Add("cancel_enabled", Bool(IsWindowEnabled(GetDlgItem(dialog, IDCANCEL))))
        .Str();
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
  Fail("unknown request " + cmd);
}

}  // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::string answer;
    try {
      answer = Run(Split(line));
    } catch (const Failure& failure) {
      answer = Object().Add("ok", "false").Add("error", Quote(driver::Wide(failure.message))).Str();
    } catch (const std::exception& e) {
      answer = Object().Add("ok", "false").Add("error", Quote(driver::Wide(e.what()))).Str();
    }
    std::fwrite(answer.data(), 1, answer.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
  }
  return 0;
}
