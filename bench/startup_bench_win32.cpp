// Start-up time of Pelliton.exe against the bare window, measured alike: the time from
// CreateProcess to the moment the program's window is visible, and to the moment it has been
// painted (visible, and neither it nor any child has a region waiting for WM_PAINT), by
// polling from this process every millisecond with QueryPerformanceCounter. Each start is
// ended with TerminateProcess once painted. The starts go in rounds: in each the two programs
// take turns, the one that goes first alternating from round to round, and the round's ratio
// is that of its two medians, so that a moment of load hits both sides of a ratio alike. One
// start of each comes first and is not counted (it fills the file cache). Prints the medians
// with their spread, each round's ratio and the median of those. Figures only.
//
//   pelliton_startup_bench RUNS PELLITON_EXE BARE_EXE   (RUNS starts of each)
//
// Pelliton must start without its first-run dialog (an installed store).

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bare_window.h"
#include "ui/ids.h"

namespace {

constexpr DWORD kStartLimitMs = 20000;
constexpr DWORD kExitLimitMs = 10000;
constexpr int kRounds = 5;

struct Start {
  double visibleMs = -1;
  double paintedMs = -1;
  int pendingPolls = 0;  // polls that saw the window visible but not yet painted
};

struct Program {
  const char* name;
  std::wstring exe;
  const wchar_t* windowClass;
  std::vector<Start> starts;
};

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f{};
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  return static_cast<double>(now.QuadPart) * 1000.0 / frequency;
}

HWND FindOwnWindow(const wchar_t* windowClass, DWORD pid) {
  for (HWND hwnd = nullptr; (hwnd = FindWindowExW(nullptr, hwnd, windowClass, nullptr));) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == pid) return hwnd;
  }
  return nullptr;
}

BOOL CALLBACK FindPending(HWND child, LPARAM pending) {
  if (!GetUpdateRect(child, nullptr, FALSE)) return TRUE;
  *reinterpret_cast<bool*>(pending) = true;
  return FALSE;
}

bool Painted(HWND window) {
  if (GetUpdateRect(window, nullptr, FALSE)) return false;
  bool pending = false;
  EnumChildWindows(window, FindPending, reinterpret_cast<LPARAM>(&pending));
  return !pending;
}

bool StartOnce(Program& program) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::wstring commandLine = L"\"" + program.exe + L"\"";
  Start start;
  const double begin = Now();
  if (!CreateProcessW(program.exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    std::fprintf(stderr, "cannot start %s (error %lu)\n", program.name, GetLastError());
    return false;
  }
  while (Now() - begin < kStartLimitMs && start.paintedMs < 0) {
    HWND window = FindOwnWindow(program.windowClass, process.dwProcessId);
    if (window != nullptr && IsWindowVisible(window)) {
      if (start.visibleMs < 0) start.visibleMs = Now() - begin;
      if (Painted(window)) {
        start.paintedMs = Now() - begin;
      } else {
        ++start.pendingPolls;
      }
    }
    if (WaitForSingleObject(process.hProcess, 1) == WAIT_OBJECT_0) break;
  }
  TerminateProcess(process.hProcess, 0);
  WaitForSingleObject(process.hProcess, kExitLimitMs);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  if (start.paintedMs < 0) {
    std::fprintf(stderr, "%s showed no painted window in %lu ms\n", program.name, kStartLimitMs);
    return false;
  }
  program.starts.push_back(start);
  return true;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The median painted time of the starts from `first` on.
double MedianPainted(const Program& program, std::size_t first = 0) {
  std::vector<double> painted;
  for (std::size_t i = first; i < program.starts.size(); ++i)
    painted.push_back(program.starts[i].paintedMs);
  return Median(painted);
}

void Report(const Program& program) {
  std::vector<double> painted, visible;
  int pending = 0;
  for (const Start& start : program.starts) {
    painted.push_back(start.paintedMs);
    visible.push_back(start.visibleMs);
    pending += start.pendingPolls > 0;
  }
  const auto [low, high] = std::minmax_element(painted.begin(), painted.end());
  std::printf("  %-14s %8.1f %8.1f %8.1f %10.1f %9d/%zu\n", program.name, Median(painted), *low,
              *high, Median(visible), pending, program.starts.size());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: pelliton_startup_bench RUNS PELLITON_EXE BARE_EXE\n");
    return 2;
  }
  const int runs = std::max(1, _wtoi(argv[1]));
  Program programs[] = {{"Pelliton.exe", argv[2], PELLITON_METER_CLASS, {}},
                        {"bare window", argv[3], PELLITON_BARE_CLASS, {}}};
  for (Program& program : programs) {  // the warm-up start
    if (!StartOnce(program)) return 1;
    program.starts.clear();
  }
  const int perRound = std::max(1, runs / kRounds);
  std::vector<double> ratios;
  for (int round = 0; round < kRounds; ++round) {
    const std::size_t first = programs[0].starts.size();
    for (int start = 0; start < perRound; ++start) {
      for (int turn = 0; turn < 2; ++turn) {
        if (!StartOnce(programs[(turn + round) % 2])) return 1;
      }
    }
    ratios.push_back(MedianPainted(programs[0], first) / MedianPainted(programs[1], first));
  }
  std::printf("Start-up, CreateProcess to the first painted window (ms; %d rounds of %d starts\n",
              kRounds, perRound);
  std::printf("each, taking turns, after one uncounted start each):\n");
  std::printf("  %-14s %8s %8s %8s %10s %11s\n", "program", "median", "min", "max", "visible at",
              "seen unpainted");
  for (const Program& program : programs)
    Report(program);
  std::printf("  Pelliton.exe / bare window, median painted: %.2fx\n",
              MedianPainted(programs[0]) / MedianPainted(programs[1]));
  std::printf("  by round:");
  for (const double ratio : ratios)
    std::printf(" %.2fx", ratio);
  const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
  std::printf("; median %.2fx (%.2fx to %.2fx)\n", Median(ratios), *low, *high);
  return 0;
}
