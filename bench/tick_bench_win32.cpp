// A connected tick through the real registry store and interface table, against the bare
// platform calls such a tick cannot avoid: two GetIfTable calls and four value writes, each
// opening and closing the settings key. Also the cost of the tick's one reading of the
// 64-bit counters (GetIfEntry2) on its own, and of the two writes of the readings that a
// later start counts from ("LastDown", "LastUp"), which the tick makes besides the four.
//
// Then whether the tick's cost grows with the usage history: connected ticks with growth on
// every tick (a datagram over loopback before each, not timed), in samples of many ticks
// with an empty and a full history (400 days, 168 hours) taking turns, the one that goes
// first alternating. Each run gives the median of its rounds' full/empty ratios and their
// spread; three runs and the median of their ratios are printed. The write of the open
// records alone is timed the same way, in a key with and without the full history, as is a
// whole load of the full history. Run it in a throwaway Wine prefix or user account: it
// works in the real settings key and deletes that key at the end.
//
//   pelliton_tick_bench [ticks] [history ticks]   (500 and 100 by default)

#include <iphlpapi.h>
#include <windows.h>
#include <winsock2.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "bench/full_history.h"
#include "metering/meter_context.h"
#include "metering/sources/readings.h"
#include "metering/tick.h"
#include "metering/history/usage_history.h"
#include "platform/if_table.h"
#include "platform/registry_store.h"
#include "platform/system_clock.h"
#include "platform/system_locale.h"
#include "store/catalogue.h"

namespace pelliton {
namespace {

constexpr int kRounds = 10;  // the two loops alternate so that drift hits both alike

class DiscardingView : public MeterView {
 public:
  void SetLabel1(std::string_view) override {}
  void SetLabel2(std::string_view) override {}
  void SetLabel3(std::string_view) override {}
  void SetTimer1Enabled(bool) override {}
};

class Stopwatch {
 public:
  Stopwatch() { QueryPerformanceFrequency(&frequency_); }
  double Microseconds(LONGLONG ticks) const {
    return static_cast<double>(ticks) * 1e6 / static_cast<double>(frequency_.QuadPart);
  }
  static LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
  }

 private:
  LARGE_INTEGER frequency_{};
};

int ConnectedSeconds(const MeterState& state) {
  return (state.Hours * 60 + state.Minutes) * 60 + state.Seconds;
}

// What a connected tick must do at the least.
void BareTick(const std::string& key, int tick) {
  ULONG size = 0;
  DWORD dummy = 0;
  if (GetIfTable(reinterpret_cast<PMIB_IFTABLE>(&dummy), &size, FALSE) ==
      ERROR_INSUFFICIENT_BUFFER) {
    std::vector<BYTE> buffer(size);
    GetIfTable(reinterpret_cast<PMIB_IFTABLE>(buffer.data()), &size, FALSE);
  }
  const std::string texts[] = {std::to_string(1000000 + tick), std::to_string(tick % 60),
                               std::to_string(tick / 30 % 60), std::to_string(tick / 1800)};
  const char* names[] = {"TotalData", "Seconds", "Minutes", "Hours"};
  for (int i = 0; i < 4; ++i) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
      continue;
    }
    RegSetValueExA(handle, names[i], 0, REG_SZ, reinterpret_cast<const BYTE*>(texts[i].c_str()),
                   static_cast<DWORD>(texts[i].size() + 1));
    RegCloseKey(handle);
  }
}

// Loopback traffic for the next tick to count, a datagram to a port nobody listens on.
class Traffic {
 public:
  Traffic() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    socket_ = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    address_.sin_family = AF_INET;
    address_.sin_port = htons(9);
    address_.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  }
  ~Traffic() {
    closesocket(socket_);
    WSACleanup();
  }
  void Send() const {
    static const std::vector<char> payload(8192, 'x');
    sendto(socket_, payload.data(), static_cast<int>(payload.size()), 0,
           reinterpret_cast<const sockaddr*>(&address_), sizeof address_);
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
  sockaddr_in address_{};
};

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The median of a figure's rounds, and how far apart they lie.
struct Rounds {
  std::vector<double> empty, full, ratios;
  void Add(double emptyUs, double fullUs) {
    empty.push_back(emptyUs);
    full.push_back(fullUs);
    ratios.push_back(fullUs / emptyUs);
  }
  double Ratio() const { return Median(ratios); }
  void Print(const char* what, int count) const {
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    std::printf(
        "  %-13s empty %8.1f us, full %8.1f us (medians of %zu rounds of %d); "
        "full/empty %.3f (rounds %.3f to %.3f)\n",
        what, Median(empty), Median(full), ratios.size(), count, Ratio(), *low, *high);
  }
};

// Leaves the store with no history, or with the full one.
void StoreHistory(SettingsStore& store, const FullHistory* full) {
  for (const StoredValue& value : {stored::UsageDays, stored::UsageHours, stored::UsageOpen})
    store.DeleteValue(RootKey::CurrentUser, kSettingsKey, value.name);
  if (full == nullptr) return;
  WriteValueText(store, stored::UsageDays, full->days);
  WriteValueText(store, stored::UsageHours, full->hours);
}

// Connected ticks with growth, with the history that the store holds loaded as the first
// tick after start loads it. One tick goes first, untimed: it opens the present hour and day
// and takes the history over to the meter's "TotalData" (the bare calls wrote their own).
// Returns a tick's time in us.
double HistoryTicks(MeterContext& meter, const Traffic& traffic, const Stopwatch& stopwatch,
                    int count) {
  meter.state.History = UsageHistory{};
  ReadUsageHistory(meter.state, meter.store);
  traffic.Send();
  Timer1Timer(meter);
  LONGLONG spent = 0;
  for (int i = 0; i < count; ++i) {
    traffic.Send();
    const LONGLONG start = Stopwatch::Now();
    Timer1Timer(meter);
    spent += Stopwatch::Now() - start;
  }
  return stopwatch.Microseconds(spent) / count;
}

// The tick's one write of the history, alone: the open records, `count` times.
double OpenWrites(SettingsStore& store, const Stopwatch& stopwatch, int count) {
  const std::string open = UsageHistory{}.OpenText();
  const LONGLONG start = Stopwatch::Now();
  for (int i = 0; i < count; ++i)
    WriteValueText(store, stored::UsageOpen, open);
  return stopwatch.Microseconds(Stopwatch::Now() - start) / count;
}

constexpr int kHistoryRuns = 3;
constexpr int kHistoryRounds = 15;  // an empty and a full sample each, the first alternating

// Returns the run's median full/empty ratio of a tick.
double HistoryRun(MeterContext& meter, const FullHistory& full, const Stopwatch& stopwatch,
                  int count, int run) {
  static const Traffic traffic;
  Rounds ticks, writes;
  for (int round = 0; round < kHistoryRounds; ++round) {
    double tickUs[2], writeUs[2];
    for (const bool whole : {round % 2 == 0, round % 2 != 0}) {
      StoreHistory(meter.store, whole ? &full : nullptr);
      writeUs[whole] = OpenWrites(meter.store, stopwatch, count);
      tickUs[whole] = HistoryTicks(meter, traffic, stopwatch, count);
    }
    ticks.Add(tickUs[0], tickUs[1]);
    writes.Add(writeUs[0], writeUs[1]);
  }
  std::printf("run %d:\n", run);
  ticks.Print("tick", count);
  writes.Print("open write", count);
  return ticks.Ratio();
}

// What the tick would pay if it parsed the whole history: a load of the full one.
void PrintFullLoad(SettingsStore& store, const FullHistory& full, const Stopwatch& stopwatch) {
  StoreHistory(store, &full);
  std::vector<double> loads;
  UsageHistory history;
  for (int i = 0; i < 20; ++i) {
    const LONGLONG start = Stopwatch::Now();
    history.Load(store);
    loads.push_back(stopwatch.Microseconds(Stopwatch::Now() - start));
  }
  std::printf(
      "a load of the full history: %.1f us (median of 20; %zu days, %zu hours), paid\n"
      "once after start, and again only after a write that failed\n",
      Median(loads), history.Days().size(), history.Hours().size());
}

// Returns the ticks made, each connected.
int PrintHistoryRatios(MeterContext& meter, const Stopwatch& stopwatch, int count) {
  const FullHistory full(meter.clock.Now());
  std::printf("with growth, the history empty and full (%zu days, %zu hours) taking turns:\n",
              kKeptDays, kKeptHours);
  std::vector<double> ratios;
  for (int run = 1; run <= kHistoryRuns; ++run)
    ratios.push_back(HistoryRun(meter, full, stopwatch, count, run));
  std::printf("full/empty of the %d runs:", kHistoryRuns);
  for (const double ratio : ratios)
    std::printf(" %.3f", ratio);
  const double median = Median(ratios);
  std::printf("; median %.3f (%+.1f%%)\n", median, 100 * (median - 1));
  PrintFullLoad(meter.store, full, stopwatch);
  return kHistoryRuns * kHistoryRounds * 2 * (count + 1);
}

int Run(int ticks, int historyTicks) {
  RegistryStore store;
  IpHelperInterfaceTable table;
  SystemClock clock;
  SystemLocale locale;
  DiscardingView view;
  MeterState state;
  MeterContext meter{state, store, table, clock, locale, view};

  const std::string settingsKey(kSettingsKey);
  HKEY existing = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, settingsKey.c_str(), 0, KEY_READ, &existing) ==
      ERROR_SUCCESS) {
    RegCloseKey(existing);
    std::fprintf(stderr, "The settings key exists already; run this in a throwaway prefix.\n");
    return 1;
  }

  // As after start-up: the connection chosen, the cycle month current, the row unlocated.
  WriteValueText(store, stored::NetworkType, "lo");
  WriteValueNumber(store, stored::LastMonth, clock.Now().Month);
  state.NetworkType = ReadValueText(store, stored::NetworkType);
  state.AdapterRow = kUnlocatedRow;
  Timer1Timer(meter);  // locates and binds the row
  if (!state.AdapterBound) {
    std::fprintf(stderr, "No interface row described \"lo\".\n");
    store.DeleteRegistry(RootKey::CurrentUser, kSettingsKey);
    return 1;
  }

  Snapshot snapshot;
  Get_IfTableMIB(table, snapshot);
  const std::uint32_t interfaceIndex = snapshot.at(state.AdapterRow).dwIndex;
  const bool has64 = table.ReadCounters64(interfaceIndex).has_value();

  const Stopwatch stopwatch;
  const int perRound = ticks / kRounds > 0 ? ticks / kRounds : 1;
  const int startSeconds = ConnectedSeconds(state);
  LONGLONG realTicks = 0;
  LONGLONG bareTicks = 0;
  LONGLONG wideTicks = 0;
  LONGLONG keepTicks = 0;
  for (int round = 0; round < kRounds; ++round) {
    const LONGLONG start = Stopwatch::Now();
    for (int i = 0; i < perRound; ++i)
      Timer1Timer(meter);
    const LONGLONG middle = Stopwatch::Now();
    for (int i = 0; i < perRound; ++i)
      BareTick(settingsKey, round * perRound + i);
    const LONGLONG bareEnd = Stopwatch::Now();
    for (int i = 0; i < perRound; ++i)
      table.ReadCounters64(interfaceIndex);
    const LONGLONG wideEnd = Stopwatch::Now();
    for (int i = 0; i < perRound; ++i)
      KeepReadings(meter);
    realTicks += middle - start;
    bareTicks += bareEnd - middle;
    wideTicks += wideEnd - bareEnd;
    keepTicks += Stopwatch::Now() - wideEnd;
  }
  const int measured = perRound * kRounds;
  const int connected = (ConnectedSeconds(state) - startSeconds) / 2;

  const double tickUs = stopwatch.Microseconds(realTicks) / measured;
  const double bareUs = stopwatch.Microseconds(bareTicks) / measured;
  std::printf("ticks: %d (%d connected)\n", measured, connected);
  std::printf("connected tick:  %8.1f us\n", tickUs);
  std::printf("bare calls:      %8.1f us\n", bareUs);
  std::printf("ratio:           %8.2f\n", tickUs / bareUs);
  const double wideUs = stopwatch.Microseconds(wideTicks) / measured;
  std::printf("64-bit reading:  %8.1f us (%.1f%% of the tick; counters %s)\n", wideUs,
              100 * wideUs / tickUs, has64 ? "read" : "not available");
  const double keepUs = stopwatch.Microseconds(keepTicks) / measured;
  std::printf("readings kept:   %8.1f us (%.1f%% of the tick; 2 of its 6 writes)\n", keepUs,
              100 * keepUs / tickUs);
  const int historySeconds = ConnectedSeconds(state);
  const int history = PrintHistoryRatios(meter, stopwatch, historyTicks);
  const int historyConnected = (ConnectedSeconds(state) - historySeconds) / 2;
  std::printf("history ticks: %d (%d connected)\n", history, historyConnected);
  store.DeleteRegistry(RootKey::CurrentUser, kSettingsKey);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Zorvane");  // only when nothing else is in it
  return connected == measured && historyConnected == history ? 0 : 1;
}

}  // namespace
}  // namespace pelliton

int main(int argc, char** argv) {
  const int ticks = argc > 1 ? std::atoi(argv[1]) : 500;
  const int historyTicks = argc > 2 ? std::atoi(argv[2]) : 100;
  return pelliton::Run(ticks > 0 ? ticks : 500, historyTicks > 0 ? historyTicks : 100);
}
