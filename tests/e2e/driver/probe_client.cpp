// The driver's side of the in-process probe (menu_probe.cpp, resource_probe.cpp): plants its
// hook in the program's thread and receives the answer; with the figures built on it, the
// open menu and the program's resources, and the timing of the meter's ticks.

#include <windows.h>
#include <winternl.h>

#include <string>
#include <vector>

#include "driver.h"
#include "json.h"

namespace driver {

namespace {

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
  static HWND receiver = DriverWindow(L"PellitonDriverReceiver", ReceiverProc, 0, 0, HWND_MESSAGE);
  return receiver;
}

// Plants a hook of the probe module in the window's thread and sends it the hook's message;
// the hook answers with a WM_COPYDATA.
std::string Probe(HWND window, const char* hookName, const wchar_t* message, LPARAM lParam = 0) {
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
                      lParam, SMTO_NORMAL, kSendTimeoutMs, &ignored);
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

}  // namespace

std::string Resources() {
  HWND meter = Meter();
  DWORD pid = 0;
  GetWindowThreadProcessId(meter, &pid);
  std::string figures = Probe(meter, "ResourceProbeHook", L"PellitonDriverResourceProbe");
  return "{\"ok\":true,\"handles\":" + Num(KernelHandles(pid)) + "," + figures.substr(1);
}

// Tells the window that it moved from a monitor of `before` DPI to one of `now`.
std::string ChangeDpi(HWND window, int now, int before) {
  const std::string suggested =
      Probe(window, "DpiProbeHook", L"PellitonDriverDpiProbe", MAKELPARAM(now, before));
  return "{\"ok\":true," + suggested.substr(1);
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

}  // namespace driver
