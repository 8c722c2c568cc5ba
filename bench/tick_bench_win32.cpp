// A connected tick through the real registry store and interface table, against the bare
// platform calls such a tick cannot avoid: one reading of the interface table with its 64-bit
// counters (GetIfTable2, FreeMibTable) and the value writes that the tick made, each opening
// and closing the settings key. Ticks and bare calls are timed in rounds taking turns, the one
// that goes first alternating, with growth before each (a datagram over loopback, not timed);
// with one connection and with four checked. Then what the time goes to: the table reading,
// GetIfTable's two calls and one GetIfEntry2 (what each row cost before) on their own.
//
// Then whether the tick's cost grows with the usage history: connected ticks with growth on
// every tick, in samples of many ticks with an empty and a full history (400 days, 168 hours)
// taking turns. Each run gives the median of its rounds' full/empty ratios and their
// spread; three runs and the median of their ratios are printed. The write of the open
// records alone is timed the same way, in a key with and without the full history, as is a
// whole load of the full history. Run it in a throwaway Wine prefix or user account: it
// works in the real settings key and deletes that key at the end. scripts/bench runs it in a
// network namespace with four interfaces up.
//
//   pelliton_tick_bench [ticks] [history ticks]   (300 and 100 by default)

#include <windows.h>
#include <winsock2.h>
#include <ws2ipdef.h>

#include <iphlpapi.h>
#include <netioapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench/full_history.h"
#include "metering/history/usage_history.h"
#include "metering/meter_context.h"
#include "metering/sources/connection_set.h"
#include "metering/tick.h"
#include "platform/if_table.h"
#include "platform/registry_store.h"
#include "platform/system_clock.h"
#include "platform/system_locale.h"
#include "store/catalogue.h"

namespace pelliton {
namespace {

constexpr int kRounds = 15;  // a sample of each side a round, the first alternating

class DiscardingView : public MeterView {
 public:
  void SetLabel1(std::string_view) override {}
  void SetLabel2(std::string_view) override {}
  void SetLabel3(std::string_view) override {}
  void SetTimer1Enabled(bool) override {}
};

// The registry store, keeping the names and texts of the writes since the last Clear().
class RecordingStore : public RegistryStore {
 public:
  void WriteRegistry(RootKey root, std::string_view key, std::string_view name,
                     std::string_view value) override {
    writes.emplace_back(name, value);
    RegistryStore::WriteRegistry(root, key, name, value);
  }
  std::vector<std::pair<std::string, std::string>> writes;
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

FARPROC IpHelper(const char* name) {
  return GetProcAddress(GetModuleHandleW(L"iphlpapi.dll"), name);
}

// The one reading of the table with 64-bit counters, as the bare calls make it.
void ReadTable2() {
  static const auto get = reinterpret_cast<DWORD(WINAPI*)(PMIB_IF_TABLE2*)>(
      reinterpret_cast<void (*)()>(IpHelper("GetIfTable2")));
  static const auto free = reinterpret_cast<void(WINAPI*)(PVOID)>(
      reinterpret_cast<void (*)()>(IpHelper("FreeMibTable")));
  PMIB_IF_TABLE2 table = nullptr;
  if (get != nullptr && get(&table) == NO_ERROR) free(table);
}

void ReadTable() {
  ULONG size = 0;
  DWORD dummy = 0;
  if (GetIfTable(reinterpret_cast<PMIB_IFTABLE>(&dummy), &size, FALSE) ==
      ERROR_INSUFFICIENT_BUFFER) {
    std::vector<BYTE> buffer(size);
    GetIfTable(reinterpret_cast<PMIB_IFTABLE>(buffer.data()), &size, FALSE);
  }
}

using Writes = std::vector<std::pair<std::string, std::string>>;

// What a connected tick must do at the least: read the table once, make the tick's writes.
void BareTick(const std::string& key, const Writes& writes) {
  ReadTable2();
  for (const auto& [name, text] : writes) {
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
      continue;
    }
    RegSetValueExA(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
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
  void Print(const char* what, int count, const char* base = "empty",
             const char* other = "full") const {
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    std::printf(
        "  %-13s %s %8.1f us, %s %8.1f us (medians of %zu rounds of %d); "
        "%s/%s %.3f (rounds %.3f to %.3f)\n",
        what, base, Median(empty), other, Median(full), ratios.size(), count, other, base, Ratio(),
        *low, *high);
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

// `count` calls of `call`, each after a datagram (not timed); a call's time in us.
double Timed(const Stopwatch& stopwatch, const Traffic& traffic, int count,
             const std::function<void()>& call) {
  LONGLONG spent = 0;
  for (int i = 0; i < count; ++i) {
    traffic.Send();
    const LONGLONG start = Stopwatch::Now();
    call();
    spent += Stopwatch::Now() - start;
  }
  return stopwatch.Microseconds(spent) / count;
}

// The connected tick with growth against its bare calls: the table reading and the writes
// of the tick before, in rounds taking turns. Returns the ticks made.
int PrintTickRatio(MeterContext& meter, RecordingStore& store, const Stopwatch& stopwatch,
                   int count, const char* what) {
  static const Traffic traffic;
  const std::string key(kSettingsKey);
  Writes writes;
  const auto tick = [&] {
    store.writes.clear();
    Timer1Timer(meter);
    writes.swap(store.writes);
  };
  Timed(stopwatch, traffic, 2, tick);  // binds, and keeps the whole set of readings
  Rounds rounds;
  for (int round = 0; round < kRounds; ++round) {
    double us[2] = {};
    for (const bool bare : {round % 2 == 0, round % 2 != 0})
      us[bare] = bare ? Timed(stopwatch, traffic, count, [&] { BareTick(key, writes); })
                      : Timed(stopwatch, traffic, count, tick);
    rounds.Add(us[1], us[0]);
  }
  std::printf("%s, %zu writes a tick:\n", what, writes.size());
  rounds.Print("tick", count, "bare", "tick");
  return kRounds * count + 2;
}

// Up to four connections, those that are up first, the one described "lo" the first of all.
std::vector<ConnectionId> FourConnections(MeterContext& meter) {
  std::vector<SourceReading> rows = ListConnections(meter.table);
  std::stable_sort(rows.begin(), rows.end(), [](const SourceReading& a, const SourceReading& b) {
    return std::pair(a.id.description != "lo", !a.connected) <
           std::pair(b.id.description != "lo", !b.connected);
  });
  std::vector<ConnectionId> set;
  int up = 0;
  for (std::size_t i = 0; i < rows.size() && i < 4; ++i) {
    set.push_back(rows[i].id);
    up += rows[i].connected;
  }
  std::printf("the set:");
  for (const ConnectionId& id : set)
    std::printf(" \"%s\"", id.description.c_str());
  std::printf(" (%d of %zu up)\n", up, set.size());
  return set;
}

// What the time goes to: the calls of one reading of the table, each way, on their own.
void PrintTableCalls(const Stopwatch& stopwatch, std::uint32_t index, int count) {
  const auto entry2 = reinterpret_cast<DWORD(WINAPI*)(PMIB_IF_ROW2)>(
      reinterpret_cast<void (*)()>(IpHelper("GetIfEntry2")));
  const std::function<void()> calls[] = {ReadTable2, ReadTable, [&] {
                                           MIB_IF_ROW2 row{};
                                           row.InterfaceIndex = index;
                                           if (entry2 != nullptr) entry2(&row);
                                         }};
  const char* names[] = {"GetIfTable2 and FreeMibTable", "GetIfTable, twice",
                         "GetIfEntry2, one row"};
  std::vector<double> us[3];
  for (int round = 0; round < kRounds; ++round) {
    for (int i = 0; i < 3; ++i) {
      const LONGLONG start = Stopwatch::Now();
      for (int n = 0; n < count; ++n)
        calls[i]();
      us[i].push_back(stopwatch.Microseconds(Stopwatch::Now() - start) / count);
    }
  }
  for (int i = 0; i < 3; ++i)
    std::printf("  %-29s %8.1f us (median of %d rounds of %d)\n", names[i], Median(us[i]), kRounds,
                count);
}

int Run(int ticks, int historyTicks) {
  RecordingStore store;
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
  const std::uint32_t index = state.Index64;
  const bool wide = table.ReadWideTable().has_value();

  const Stopwatch stopwatch;
  const int perRound = ticks / kRounds > 0 ? ticks / kRounds : 1;
  const int startSeconds = ConnectedSeconds(state);
  std::printf("the connected tick with growth against its bare calls (GetIfTable2 %s):\n",
              wide ? "read" : "not available");
  int measured = PrintTickRatio(meter, store, stopwatch, perRound, "one connection");
  const std::vector<ConnectionId> one = MeteredConnections(state);
  ChooseConnections(meter.state, meter.store, FourConnections(meter));
  measured += PrintTickRatio(meter, store, stopwatch, perRound, "four connections");
  const int connected = (ConnectedSeconds(state) - startSeconds) / 2;
  std::printf("ticks: %d (%d connected)\n", measured, connected);
  std::printf("one reading of the interface table, each way:\n");
  PrintTableCalls(stopwatch, index, perRound);
  ChooseConnections(meter.state, meter.store, one);
  Timer1Timer(meter);

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
  const int ticks = argc > 1 ? std::atoi(argv[1]) : 300;
  const int historyTicks = argc > 2 ? std::atoi(argv[2]) : 100;
  return pelliton::Run(ticks > 0 ? ticks : 300, historyTicks > 0 ? historyTicks : 100);
}
