#pragma once

// What the driver's pieces share: failures, messages that give up, window helpers and the
// reports that the requests answer with (window.cpp, probe_client.cpp), for the dispatcher
// (driver.cpp).

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

constexpr UINT kSendTimeoutMs = 2000;

struct Failure {
  std::string message;
};

[[noreturn]] inline void Fail(const std::string& message) {
  throw Failure{message};
}

// Window helpers and descriptions (window.cpp).
HWND DriverWindow(const wchar_t* className, WNDPROC procedure, DWORD exStyle, DWORD style,
                  HWND parent);
LRESULT Send(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
std::wstring ClassOf(HWND hwnd);
std::wstring CaptionOf(HWND hwnd);
std::wstring TextOf(HWND hwnd);
RECT RectOf(HWND hwnd);
RECT ClientRectOf(HWND hwnd);
HWND ParseHwnd(const std::string& field);
HWND NeedWindow(const std::string& field);
std::vector<HWND> TopLevelWindows();
HWND FindTop(const std::wstring& cls, const std::wstring& title, bool visibleOnly);
std::string Describe(HWND hwnd);
std::string DescribeWithChildren(HWND hwnd);
HWND Control(HWND dialog, const std::string& id);
HWND Meter();
bool IsMessageBox(HWND hwnd);
std::string DescribeMessageBox(HWND box);
std::string MeterReport();
std::string GuiReport(HWND hwnd);
std::string Catch();
std::string Caught(DWORD waitMs);

template <typename Probe>
auto WaitFor(DWORD timeoutMs, Probe probe) {
  DWORD start = GetTickCount();
  for (;;) {
    if (auto found = probe()) return found;
    if (GetTickCount() - start >= timeoutMs) return decltype(probe())();
    Sleep(20);
  }
}

// A move to a monitor of another DPI, told from inside the program (probe_client.cpp).
std::string ChangeDpi(HWND window, int now, int before);

// The notification area's icons (shell.cpp).
std::string TrayReport();

// The in-process probe and the figures it gives (probe_client.cpp).
std::string Resources();
std::string Ticks(int count);
std::string MenuReport(DWORD timeoutMs);

// A list view with check boxes in another process (list_view.cpp).
std::string ListViewReport(HWND dialog, HWND list);

}  // namespace driver
