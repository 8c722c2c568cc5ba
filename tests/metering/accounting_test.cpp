#include <string>
#include <vector>

#include "meter_fixture.h"
#include "metering/accounting.h"
#include "metering/sources/connection_set.h"
#include "metering/sources/readings.h"
#include "metering/tick.h"
#include "store/errors.h"

namespace pelliton {
namespace {

using testing::kKB;
using testing::MakeLink;
using testing::MakeRow;
using testing::MeterTest;
using Names = std::vector<std::string>;

constexpr std::uint32_t kUp = kOperStatusOperational;

class Accounting : public MeterTest {};

TEST_F(Accounting, FrozenTakesNoSnapshotAndUnbinds) {
  for (bool shuffle : {false, true}) {
    AddRows(1, 0, 100, 100);
    Bind(0, 0, 0);
    state.FreezeOn = true;
    state.ShuffleOn = shuffle;
    state.TotalDataKB = 1536;
    state.Hours = 5;
    state.Minutes = 7;
    EXPECT_EQ(GetConnectedState(meter), 0);
    EXPECT_FALSE(state.AdapterBound);
    EXPECT_EQ(table.calls, 0);
    EXPECT_EQ(view.label1, "FR");
    EXPECT_EQ(view.label2, "1.50 MB");
    EXPECT_EQ(view.label3, "05:07");
    EXPECT_EQ(state.TotalDataKB, 1536u);
    EXPECT_TRUE(store.writes.empty());
  }
}

TEST_F(Accounting, AnEmptyTableKeepsBindingAndTheOtherLabels) {
  Bind(3, 40, 50);
  view.label2 = "total";
  view.label3 = "time";
  for (std::uint32_t firstResult : {122u, 87u}) {
    table.firstCallResult = firstResult;
    EXPECT_EQ(GetConnectedState(meter), 0);
    EXPECT_EQ(view.label1, "NOADP");
    EXPECT_EQ(view.label2, "total");
    EXPECT_EQ(view.label3, "time");
    EXPECT_TRUE(state.AdapterBound);
    EXPECT_EQ(state.AdapterRow, 3);
    EXPECT_EQ(state.PrevDownKB, 40u);
  }
}

TEST_F(Accounting, TheSearchBindsTheFirstMatchTakesItsBaseAndReloads) {
  AddRows(4, 2, 1000, 300);
  table.rows[3] = table.rows[2];
  state.TotalDataKB = 7;
  state.DownDeltaKB = 9;
  state.CurUpKB = 9;
  store.Set("TotalData", "500");
  store.Set("Hours", "3");

  EXPECT_EQ(GetConnectedState(meter), 1);
  EXPECT_TRUE(state.AdapterBound);
  EXPECT_EQ(state.AdapterRow, 2);
  EXPECT_EQ(state.PrevDownKB, 1000u);
  EXPECT_EQ(state.PrevUpKB, 300u);
  EXPECT_EQ(state.DownDeltaKB + state.CurUpKB + state.CurDownKB + state.UpDeltaKB, 0u);
  EXPECT_EQ(state.TotalDataKB, 500u);
  EXPECT_EQ(state.Hours, 3);
  // The labels were set before the reload and stay until the next tick.
  EXPECT_EQ(view.label1, "DC");
  EXPECT_EQ(view.label2, "7 KB");
  EXPECT_EQ(view.label3, "00:00");
  EXPECT_EQ(store.WrittenNames(),  // the readings, sealed last; nothing stored to add
            (Names{"LastBoot", "LastIndex", "LastWidth", "LastDown", "LastUp", "LastUptime",
                   "LastBoot"}));
}

TEST_F(Accounting, TheSearchWithoutMatchLeavesTheRowToBeLocated) {
  AddRows(3, 99, 0, 0);
  state.AdapterRow = 1;
  EXPECT_EQ(GetConnectedState(meter), 0);
  EXPECT_FALSE(state.AdapterBound);
  EXPECT_EQ(state.AdapterRow, kUnlocatedRow);
  EXPECT_EQ(view.label1, "DC");
  EXPECT_EQ(store.reads, 0);
}

TEST_F(Accounting, AnEmptyNetworkTypeMatchesOnlyAnAllBlankDescription) {
  state.NetworkType.clear();
  table.rows = {MakeRow("eth0", 1, 0, 0), MakeRow("eth1", 1, 0, 0)};
  EXPECT_EQ(GetConnectedState(meter), 0);
  table.rows.push_back(MakeRow(" \t ", kUp, 0, 0));
  EXPECT_EQ(GetConnectedState(meter), 1);
  EXPECT_EQ(state.AdapterRow, 2);
}

TEST_F(Accounting, TheFirstConnectionCountsAtAnyRow) {
  AddRows(300, 255, 0, 0);
  EXPECT_EQ(GetConnectedState(meter), 1);
  EXPECT_EQ(state.AdapterRow, 255);
  Chosen().dwInOctets = 10 * kKB;  // the known row works in any table size
  EXPECT_EQ(GetConnectedState(meter), 1);
  EXPECT_EQ(state.TotalDataKB, 10u);

  table.rows.clear();
  AddRows(300, 256, 0, 0);
  state.AdapterBound = false;
  EXPECT_EQ(GetConnectedState(meter), 1);
  EXPECT_EQ(state.AdapterRow, 256u);
  Chosen().dwInOctets = 1000 * kKB;
  EXPECT_EQ(GetConnectedState(meter), 1);
  EXPECT_EQ(state.TotalDataKB, 1010u);
}

TEST_F(Accounting, AConnectedTickCountsWritesAndShowsTheFigures) {
  for (bool shuffle : {false, true}) {
    table.rows.clear();
    store.writes.clear();
    AddRows(2, 1, 120, 25);
    Bind(1, 100, 20);
    state.TotalDataKB = 1000;
    state.Seconds = 4;
    state.Minutes = 7;
    state.Hours = 5;
    state.ShuffleOn = shuffle;

    EXPECT_EQ(GetConnectedState(meter), 1);
    EXPECT_EQ(state.DownDeltaKB, 20u);
    EXPECT_EQ(state.UpDeltaKB, 5u);
    EXPECT_EQ(state.CurDownKB, 120u);
    EXPECT_EQ(state.PrevDownKB, 120u);
    EXPECT_EQ(state.PrevUpKB, 25u);
    EXPECT_EQ(state.TotalDataKB, 1025u);
    EXPECT_EQ(store.WrittenNames(), (Names{"LastDown", "LastUp", "LastUptime", "UsageOpen",
                                           "PlanData", "TotalData", "Seconds", "Minutes", "Hours"}));
    EXPECT_EQ(store.Get("LastDown"), "120");
    EXPECT_EQ(store.Get("TotalData"), "1025");
    EXPECT_EQ(store.Get("Seconds"), "4");
    EXPECT_EQ(view.label1, shuffle ? "12/s" : "1.00 MB");
    EXPECT_EQ(view.label2, shuffle ? "1.00 MB" : "12/s");
    EXPECT_EQ(view.label3, "05:07");
    EXPECT_TRUE(state.AdapterBound);
  }
}

TEST_F(Accounting, TheKnownRowLostDisconnects) {
  struct {
    const char* name;
    std::string descr;
    std::uint32_t status;
    std::size_t rows;
    bool staysBound = false;  // down at its row: its readings wait for it
  } const cases[] = {
      {"status 0", "Realtek PCIe GbE", 0, 3, true},
      {"disconnected", "Realtek PCIe GbE", 2, 3, true},
      {"different description", "Realtek PCIe GbE 2", kUp, 3},
      {"case matters", "realtek pcie gbe", kUp, 3},
      {"no row at the index", "Realtek PCIe GbE", kUp, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    table.rows.assign(c.rows, MakeRow("Other", 1, 0, 0));
    if (c.rows > 2) table.rows[2] = MakeRow(c.descr, c.status, 50 * kKB, 0);
    Bind(2, 10, 0);
    state.ShuffleOn = true;
    state.TotalDataKB = 3;
    EXPECT_EQ(GetConnectedState(meter), 0);
    EXPECT_EQ(state.AdapterBound, c.staysBound);
    EXPECT_EQ(state.PrevDownKB, 10u);
    EXPECT_EQ(state.TotalDataKB, 3u);
    EXPECT_EQ(view.label1, "DC");
    EXPECT_EQ(view.label2, "3 KB");
    EXPECT_TRUE(store.writes.empty());
  }
}

// Only a connected or an operational link counts. Any other status makes a "DC" tick, also
// the tick that finds the row, which binds it all the same.
TEST_F(Accounting, OnlyAConnectedLinkCounts) {
  for (std::uint32_t status : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(status);
    const bool connected = status == 4 || status == 5;
    table.rows.clear();
    AddRows(2, 1, 100, 20, status);
    state.AdapterBound = false;
    ForgetReadings(state, store);
    store.Set("TotalData", "3");
    EXPECT_EQ(GetConnectedState(meter), connected);  // the search binds all the same
    EXPECT_TRUE(state.AdapterBound);
    store.writes.clear();
    Chosen().dwInOctets = 150 * kKB;
    EXPECT_EQ(GetConnectedState(meter), connected);  // the known row
    EXPECT_TRUE(state.AdapterBound);                 // bound once, up or down
    EXPECT_EQ(view.label1, connected ? "53 KB" : "DC");
    EXPECT_EQ(store.writes.empty(), !connected);
  }
}

TEST_F(Accounting, ConnectedTimeCarriesAtSixty) {
  struct {
    std::uint16_t seconds, minutes, hours;
    std::uint16_t wantSeconds, wantMinutes, wantHours;
  } const cases[] = {
      {58, 59, 0, 58, 59, 0},       {60, 5, 2, 0, 6, 2}, {60, 59, 7, 0, 0, 8},
      {0, 60, 7, 0, 0, 8},          {61, 3, 0, 1, 4, 0}, {65535, 0, 0, 65475, 1, 0},
      {62, 59, 65534, 2, 0, 65535},
  };
  for (const auto& c : cases) {
    table.rows = {MakeRow(state.NetworkType, kUp, 0, 0)};
    Bind(0, 0, 0);
    state.Seconds = c.seconds;
    state.Minutes = c.minutes;
    state.Hours = c.hours;
    store.writes.clear();
    ASSERT_EQ(GetConnectedState(meter), 1) << c.seconds;
    EXPECT_EQ(state.Seconds, c.wantSeconds);
    EXPECT_EQ(state.Minutes, c.wantMinutes);
    EXPECT_EQ(state.Hours, c.wantHours);
    EXPECT_EQ(store.Get("Seconds"), std::to_string(c.wantSeconds));
    EXPECT_EQ(store.Get("Minutes"), std::to_string(c.wantMinutes));
    EXPECT_EQ(store.Get("Hours"), std::to_string(c.wantHours));
  }
}

TEST_F(Accounting, ATotalPast32BitsStaysAtItsTopAndTheStepCounts) {
  AddRows(1, 0, 110, 0);
  Bind(0, 100, 0);
  state.TotalDataKB = 4294967290u;
  EXPECT_EQ(GetConnectedState(meter), 1);
  EXPECT_TRUE(state.AdapterBound);
  EXPECT_EQ(state.TotalDataKB, 4294967295u);
  EXPECT_EQ(state.DownDeltaKB, 10u);
  EXPECT_EQ(store.Get("TotalData"), "4294967295");
}

TEST_F(Accounting, AFailingWriteLeavesEarlierChangesStanding) {
  AddRows(1, 0, 110, 0);
  Bind(0, 100, 0);
  state.Seconds = 60;
  store.failingWrites = {"Minutes"};
  view.label1 = "before";
  EXPECT_EQ(GetConnectedState(meter), 0);
  EXPECT_FALSE(state.AdapterBound);
  EXPECT_EQ(state.TotalDataKB, 10u);
  EXPECT_EQ(state.Minutes, 1);
  EXPECT_EQ(store.WrittenNames(),
            (Names{"LastDown", "LastUp", "LastUptime", "UsageOpen", "PlanData", "TotalData",
                   "Seconds"}));
  EXPECT_EQ(view.label1, "before");
}

// A bad stored value found by the search loads as absent and the row is bound: the meter
// counts, and nothing is shown (start-up has shown it once).
TEST_F(Accounting, ABadValueAtTheSearchLoadsAsAbsentAndTheRowBinds) {
  AddRows(2, 1, 100, 0);
  store.Set("TotalData", "42");
  store.Set("Minutes", "12a");
  store.Set("Hours", "9");
  EXPECT_EQ(GetConnectedState(meter), 1);
  EXPECT_TRUE(state.AdapterBound);
  EXPECT_EQ(state.AdapterRow, 1);
  EXPECT_EQ(state.PrevDownKB, 100u);
  EXPECT_EQ(state.TotalDataKB, 42u);
  EXPECT_EQ(state.Minutes, 0);
  EXPECT_EQ(state.Hours, 9);
  Chosen().dwInOctets = 110 * kKB;
  EXPECT_EQ(GetConnectedState(meter), 1);
  EXPECT_EQ(store.Get("TotalData"), "52");
  EXPECT_EQ(store.Get("Minutes"), "0");  // replaced at its next write
}

TEST_F(Accounting, ARowWithoutDescriptionBytesIsLeftOutAndTheOthersCount) {
  table.rows = {MakeRow("", 1, 0, 0, 0), MakeRow(state.NetworkType, kUp, 0, 0),
                MakeRow("", 1, 0, 0, 1)};
  EXPECT_EQ(GetConnectedState(meter), 1);
  table.rows[1].dwInOctets = 6000 * kKB;
  EXPECT_EQ(GetConnectedState(meter), 1);
  EXPECT_EQ(state.TotalDataKB, 6000u);
}

TEST_F(Accounting, OutOfMemoryEndsTheStep) {
  AddRows(1, 0, 0, 0);
  Bind(0, 0, 0);
  table.throwBadAlloc = true;
  EXPECT_EQ(GetConnectedState(meter), 0);
  EXPECT_FALSE(state.AdapterBound);
}

TEST_F(Accounting, TrafficIsCountedOnlyBetweenConnectedTicksOfOneBinding) {
  AddRows(1, 0, 1000, 0);
  EXPECT_EQ(GetConnectedState(meter), 1);  // locates: takes the base
  Chosen().dwInOctets = 1300 * kKB;
  EXPECT_EQ(GetConnectedState(meter), 1);
  EXPECT_EQ(state.TotalDataKB, 300u);
  state.FreezeOn = true;
  Chosen().dwInOctets = 5000 * kKB;
  EXPECT_EQ(GetConnectedState(meter), 0);
  state.FreezeOn = false;
  EXPECT_EQ(GetConnectedState(meter), 1);  // locates again; the frozen traffic is lost
  Chosen().dwInOctets = 5002 * kKB;
  EXPECT_EQ(GetConnectedState(meter), 1);
  EXPECT_EQ(state.TotalDataKB, 302u);
}

// A start: the stored readings ("LastBoot" the boot instant less `bootShift` ms) against the
// row's (received 64-bit where `wide`, sent 80 KB, interface 7), and the KB that the
// locating tick adds to the loaded total of 1000.
struct StartCase {
  const char* name;
  std::vector<std::string> kept;  // index, width, down, up; empty: nothing stored
  std::uint64_t downKB;
  bool wide;
  std::int64_t bootShift;
  std::uint32_t added;
  std::uint32_t lastMonth = 12;
  bool wraps = false;                    // only the 32-bit tick count: boots compare modulo 2^32 ms
  std::int64_t keptSinceBoot = 1800000;  // "LastUptime"; -1: none; up an hour now
};

constexpr std::int64_t kMinute = 60000;
constexpr std::int64_t kHour = 60 * kMinute;
constexpr std::int64_t kTickWrap = std::int64_t{1} << 32;
constexpr std::int64_t kBoot = 13441212000000 - kHour;

TEST_F(Accounting, AStartCountsWhatPassedSinceTheStoredReadings) {
  const std::vector<std::string> k{"7", "64", "1000", "50"};
  const StartCase cases[] = {
      {"same boot", k, 1500, true, 0, 530},
      {"clock set 4 minutes on", k, 1500, true, 4 * kMinute, 530},
      // clang-format off
      {"clock set an hour on", k, 1500, true, kHour, 530},
      {"clock set a day back", k, 1500, true, -24 * kHour, 530},
      {"a boot instant of 0", k, 1500, true, kBoot, 530},
      {"no time since boot stored", k, 1500, true, 6 * kMinute, 530, 12, false, -1},
      {"another boot: since boot", k, 1500, true, 0, 1580, 12, false, 2 * kHour},
      {"another boot, 32-bit only", {"9", "32", "1000", "50"}, 1500, false, 0, 1580, 12, false, 2 * kHour},
      // clang-format on
      {"a reset interface", {"7", "64", "5000", "50"}, 1500, true, 0, 1580},
      {"another interface", {"8", "64", "1000", "50"}, 1500, true, 0, 0},
      {"32-bit only", {"7", "32", "1000", "50"}, 1500, false, 0, 530},
      {"32-bit stored, modulo 2^32", {"7", "32", "4000000", "50"}, 8294304, true, 0, 100030},
      {"nothing stored", {}, 1500, true, 0, 0},
      {"unreadable", {"7", "32", "4194305", "50"}, 1500, false, 0, 0},  // over 2^32 octets
      {"rollover while stopped", k, 1500, true, 0, 530, 11},
      {"tick count wrapped twice", k, 1500, true, 2 * kTickWrap, 530, 12, true, 2 * kHour},
      {"half a wrap apart", k, 1500, true, kTickWrap / 2, 1580, 12, true, 2 * kHour},
  };
  for (const StartCase& c : cases) {
    SCOPED_TRACE(c.name);
    testing::MeterRig rig;
    rig.clock.sinceBoot.wraps = c.wraps;
    IfRow row =
        MakeRow(rig.state.NetworkType, kUp, static_cast<std::uint32_t>(c.downKB * kKB), 80 * kKB);
    row.dwIndex = 7;
    rig.table.rows = {row};
    if (c.wide) rig.table.counters64[7] = {c.downKB * kKB, 80 * kKB};
    rig.store.Set("TotalData", "1000");
    rig.store.Set("LastMonth", std::to_string(c.lastMonth));
    rig.state.LastMonth = static_cast<std::uint16_t>(c.lastMonth);
    const char* names[] = {"LastIndex", "LastWidth", "LastDown", "LastUp"};
    for (std::size_t i = 0; i < c.kept.size(); ++i)
      rig.store.Set(names[i], c.kept[i]);
    const std::int64_t boot = rig.clock.utcMilliseconds - kHour;
    if (!c.kept.empty()) rig.store.Set("LastBoot", std::to_string(boot - c.bootShift));
    if (c.keptSinceBoot >= 0) rig.store.Set("LastUptime", std::to_string(c.keptSinceBoot));

    Timer1Timer(rig.meter);
    ASSERT_TRUE(rig.state.AdapterBound);
    if (c.lastMonth == 12)
      EXPECT_EQ(rig.store.Get("TotalData"), std::to_string(1000 + c.added));
    else
      EXPECT_TRUE(rig.store.Get("AllData").ends_with("1.49 MB00000"));
    EXPECT_EQ(rig.store.Get("LastDown"), std::to_string(c.downKB));
    EXPECT_EQ(rig.store.Get("LastWidth"), c.wide ? "64" : "32");
    EXPECT_EQ(rig.store.Get("LastBoot"), std::to_string(boot));
    const char* last = c.lastMonth != 12 ? "LastMonth" : c.added != 0 ? "TotalData" : "LastBoot";
    EXPECT_EQ(rig.store.WrittenNames().back(), last);
  }
}

TEST_F(Accounting, FreezingForgetsTheReadingsOnce) {
  AddRows(1, 0, 100, 0);
  ASSERT_EQ(GetConnectedState(meter), 1);
  state.FreezeOn = true;
  EXPECT_EQ(GetConnectedState(meter), 0);
  EXPECT_TRUE(store.values.empty());  // the bind stored the readings alone
  store.Set("LastBoot", "1");
  EXPECT_EQ(GetConnectedState(meter), 0);
  EXPECT_TRUE(store.Has("LastBoot"));  // not again on every frozen tick
}

}  // namespace
}  // namespace pelliton
