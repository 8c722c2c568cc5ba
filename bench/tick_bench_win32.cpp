// A connected tick through the real registry store and interface table, against the bare
// platform calls such a tick cannot avoid: two GetIfTable calls and four value writes, each
// opening and closing the settings key. Also the cost of the tick's one reading of the
// 64-bit counters (GetIfEntry2) on its own, and of the two writes of the readings that a
// later start counts from ("LastDown", "LastUp"), which the tick makes besides the four. Then
// the connected tick with growth on every tick (a datagram over loopback before each, not
// timed), once with an empty usage history and once with a full one (400 days, 168 hours),
// which must cost the tick nothing more. Run it in a throwaway Wine prefix or user account:
// it works in the real settings key and deletes that key at the end.
//
//   pelliton_tick_bench [ticks]   (500 by default)

#include <iphlpapi.h>
#include <windows.h>
#include <winsock2.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "metering/meter_context.h"
#include "metering/readings.h"
#include "metering/tick.h"
#include "metering/usage_history.h"
#include "metering/usage_text.h"
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

// A whole history of closed records in the stored forms, all before `today`.
struct FullHistory {
  explicit FullHistory(const LocalDateTime& today) {
    UsageDate date{static_cast<std::uint16_t>(today.Year - 2), 1, 1};
    days = DateToken(date);
    for (std::size_t i = 0; i < kKeptDays; ++i, date = NextDay(date))
      days += ' ' + DayToken({date, 123456789, 12345678, 0});
    for (std::size_t i = 0; i < kKeptHours; ++i) {
      if (i % 24 == 0 && i != 0) date = NextDay(date);
      const HourUsage hour{date, static_cast<std::uint8_t>(i % 24), 1234567, 123456};
      hours += (i == 0 ? "" : " ") + HourToken(hour);
    }
  }
  std::string days, hours;
};

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

// Connected ticks with growth, after loading the history that the store holds: only the
// ticks themselves are timed.
LONGLONG HistoryTicks(MeterContext& meter, const Traffic& traffic, int count) {
  meter.state.History = UsageHistory{};
  ReadUsageHistory(meter.state, meter.store);
  LONGLONG spent = 0;
  for (int i = 0; i < count; ++i) {
    traffic.Send();
    const LONGLONG start = Stopwatch::Now();
    Timer1Timer(meter);
    spent += Stopwatch::Now() - start;
  }
  return spent;
}

int Run(int ticks) {
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
  LONGLONG emptyTicks = 0;
  LONGLONG fullTicks = 0;
  const FullHistory full(clock.Now());
  const Traffic traffic;
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
    // Which of the two goes first alternates, as drift does not.
    for (const bool whole : {round % 2 == 0, round % 2 != 0}) {
      for (const StoredValue& value : {stored::UsageDays, stored::UsageHours, stored::UsageOpen})
        store.DeleteValue(RootKey::CurrentUser, kSettingsKey, value.name);
      if (whole) {
        WriteValueText(store, stored::UsageDays, full.days);
        WriteValueText(store, stored::UsageHours, full.hours);
      }
      (whole ? fullTicks : emptyTicks) += HistoryTicks(meter, traffic, perRound);
    }
  }
  const std::size_t fullDays = state.History.Days().size();
  const std::size_t fullHours = state.History.Hours().size();  // the last round's, a full one
  const int measured = perRound * kRounds;
  const int connected = (ConnectedSeconds(state) - startSeconds) / 2 - 2 * measured;
  store.DeleteRegistry(RootKey::CurrentUser, kSettingsKey);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Zorvane");  // only when nothing else is in it

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
  const double emptyUs = stopwatch.Microseconds(emptyTicks) / measured;
  const double fullUs = stopwatch.Microseconds(fullTicks) / measured;
  std::printf("with growth, empty history:  %8.1f us\n", emptyUs);
  std::printf("with growth, full history:   %8.1f us (%zu days, %zu hours; %+.1f%%)\n", fullUs,
              fullDays, fullHours, 100 * (fullUs - emptyUs) / emptyUs);
  return connected == measured ? 0 : 1;
}

}  // namespace
}  // namespace pelliton

int main(int argc, char** argv) {
  const int ticks = argc > 1 ? std::atoi(argv[1]) : 500;
  return pelliton::Run(ticks > 0 ? ticks : 500);
}
