#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "metering/accounting.h"
#include "metering/base/data_quantity.h"
#include "metering/meter_fixture.h"
#include "metering/sources/connection_set.h"

namespace pelliton {
namespace {

using testing::kKB;
using testing::MakeLink;

constexpr std::uint32_t kUp = kOperStatusOperational;
constexpr std::int64_t kHour = 3600 * 1000;

// Two connections metered, "eth0" and "wlan0", each with its own hardware address, beside a
// row that is not.
constexpr const char* kEthAddress = "00-1A-2B-3C-4D-5E";
constexpr const char* kWlanAddress = "00-1A-2B-3C-4D-5F";

struct TwoLinks : testing::MeterRig {
  TwoLinks() {
    state.NetworkType = "eth0";
    state.Connections = {{"eth0", kEthAddress, ""}, {"wlan0", kWlanAddress, ""}};
    table.rows = {MakeLink("lo", "", 1), MakeLink("eth0", kEthAddress, 2),
                  MakeLink("wlan0", kWlanAddress, 3)};
    store.Set("TotalData", "100");
  }
  void Grow(std::size_t row, std::uint32_t downKB, std::uint32_t upKB = 0) {
    table.rows[row].dwInOctets += downKB * kKB;
    table.rows[row].dwOutOctets += upKB * kKB;
  }
};

class Connections : public ::testing::Test, public TwoLinks {};

TEST_F(Connections, TheMeterCountsTheSumOfEveryOneThatIsUp) {
  struct {
    const char* name;
    std::uint32_t eth, wlan;
    std::uint32_t ethStatus, wlanStatus;
    std::uint8_t result;
    std::uint32_t total;
    const char* label1;
  } const steps[] = {
      {"binds both", 0, 0, kUp, kUp, 1, 100, "DC"},
      {"both count", 10, 20, kUp, kUp, 1, 130, "130 KB"},
      {"wlan0 passes 7 and goes down", 5, 7, kUp, 2, 1, 135, "135 KB"},
      {"wlan0 back: what it passed counts", 1, 3, kUp, kUp, 1, 146, "146 KB"},
      {"wlan0 alone", 9, 4, 2, kUp, 1, 150, "150 KB"},
      {"none up", 1, 1, 2, 2, 0, 150, "DC"},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    Grow(1, step.eth);
    Grow(2, step.wlan);
    table.rows[1].dwOperStatus = step.ethStatus;
    table.rows[2].dwOperStatus = step.wlanStatus;
    EXPECT_EQ(GetConnectedState(meter), step.result);
    EXPECT_EQ(state.TotalDataKB, step.total);
    EXPECT_EQ(view.label1, step.label1);
  }
  state.ShuffleOn = true;
  for (std::uint32_t status : {kUp, kUp}) {
    table.rows[1].dwOperStatus = table.rows[2].dwOperStatus = status;
    Grow(1, 10, 2);
    Grow(2, 20, 4);
    GetConnectedState(meter);
  }
  EXPECT_EQ(view.label1, "18/s");  // the speed is the sum: (10 + 2 + 20 + 4) / 2
  EXPECT_EQ(store.Get("LastIndex"), "2");
  EXPECT_EQ(store.Get("LastOthers"), "3 32 75 8");
}

TEST_F(Connections, OneFoundUnderANewNameCountsOnAndTheNameIsStored) {
  GetConnectedState(meter);
  std::memcpy(table.rows[1].bDescr, "eth1", 4);                  // renamed, the same address
  table.rows[2] = MakeLink("wlan0 #2", "00-00-00-00-00-00", 9);  // back as the second instance
  Grow(1, 10);
  EXPECT_EQ(GetConnectedState(meter), 1);  // both count on
  Grow(1, 1);
  Grow(2, 20);
  EXPECT_EQ(GetConnectedState(meter), 1);
  EXPECT_EQ(state.TotalDataKB, 131u);  // nothing lost
  EXPECT_EQ(store.Get("NetworkType"), "eth1");
  EXPECT_EQ(store.Get("NetworkSet"),
            "4:eth1,17:00-1A-2B-3C-4D-5E,0:;8:wlan0 #2,17:00-00-00-00-00-00,0:");
  EXPECT_EQ(MeteredConnections(state).size(), 2u);
}

TEST_F(Connections, RowsCarryingTheSameTrafficCountOnce) {
  state.NetworkType = "NIC";
  state.Connections = {{"NIC", kEthAddress, ""}, {"vEthernet", kEthAddress, ""}};
  table.rows = {MakeLink("NIC-WFP Native MAC Layer LightWeight Filter-0000", kEthAddress, 1),
                MakeLink("NIC", kEthAddress, 2),
                MakeLink("NIC-QoS Packet Scheduler-0000", kEthAddress, 3),
                MakeLink("vEthernet", kEthAddress, 4)};
  GetConnectedState(meter);
  for (std::size_t row = 0; row < 4; ++row)
    Grow(row, 10, 5);
  EXPECT_EQ(GetConnectedState(meter), 1);
  EXPECT_EQ(state.TotalDataKB, 115u);
  EXPECT_EQ(state.AdapterRow, 1);
}

// A write that fails stands for a kill there: the next binding counts on from the readings
// stored, so each connection loses at most that tick and counts nothing twice.
TEST_F(Connections, AKillBetweenWritesLosesAtMostOneTickOfEach) {
  const std::pair<const char*, std::uint32_t> cases[] = {
      {"LastDown", 0}, {"LastOthers", 10}, {"LastUptime", 30}, {"TotalData", 30}, {"Hours", 0}};
  for (const auto& [failing, lost] : cases) {
    SCOPED_TRACE(failing);
    TwoLinks rig;
    GetConnectedState(rig.meter);
    rig.Grow(1, 1);
    GetConnectedState(rig.meter);  // sealed: each tick writes the readings alone
    rig.Grow(1, 10);
    rig.Grow(2, 20);
    rig.store.failingWrites = {failing};
    EXPECT_EQ(GetConnectedState(rig.meter), 0);
    rig.store.failingWrites.clear();
    GetConnectedState(rig.meter);  // both found afresh
    EXPECT_EQ(rig.state.TotalDataKB, 131 - lost);
  }
}

// Scripts of ticks: what passed on each connection is counted once, whatever its row does.
using Step = void (*)(TwoLinks&);
void Tick(TwoLinks& rig) {
  GetConnectedState(rig.meter);
}
void Session(TwoLinks& rig) {  // eth0 at 3,000,010 / 100,000 KB, bound
  rig.table.rows[1].dwInOctets = 3000010 * kKB;
  rig.table.rows[1].dwOutOctets = 100000 * kKB;
  Tick(rig);
}
void NewSession(TwoLinks& rig) {  // back at zeros as another interface, then 630 KB
  rig.table.rows.insert(rig.table.rows.begin() + 1, MakeLink("eth0", kEthAddress, 7));
  if (rig.table.counters64.count(2)) rig.table.counters64[7] = {};
  Tick(rig);
  rig.Grow(1, 500, 130);
  if (rig.table.counters64.count(2)) rig.table.counters64[7] = {500 * kKB, 130 * kKB};
}

TEST_F(Connections, WhatPassedOnEachIsCountedOnceThroughADropAMoveOrANewSession) {
  const struct {
    const char* name;
    std::vector<Step> steps;
    std::uint32_t added;
  } cases[] = {
      {"a VPN row before eth0 goes as eth0 passes 1,000",
       {[](TwoLinks& r) { r.table.rows.insert(r.table.rows.begin() + 1, MakeLink("vpn", "", 9)); },
        Tick, [](TwoLinks& r) { r.Grow(2, 1000), r.Grow(3, 10); },
        [](TwoLinks& r) { r.table.rows.erase(r.table.rows.begin() + 1); }, Tick,
        [](TwoLinks& r) { r.Grow(2, 100); }, Tick},
       1110},
      {"eth0 disconnects, back with its counters restarted",
       {Session, [](TwoLinks& r) { r.table.rows.erase(r.table.rows.begin() + 1); }, Tick,
        NewSession, Tick},
       630},
      {"the same with 64-bit counters",
       {[](TwoLinks& r) {
          r.table.counters64[2] = {3000010ull * kKB, 100000ull * kKB};
          Session(r);
        },
        [](TwoLinks& r) { r.table.rows.erase(r.table.rows.begin() + 1); }, Tick, NewSession, Tick},
       630},
      {"eth0 down, then up at zeros, then 630",
       {Session, [](TwoLinks& r) { r.table.rows[1].dwOperStatus = 2; }, Tick,
        [](TwoLinks& r) { r.table.rows[1] = MakeLink("eth0", kEthAddress, 2); }, Tick,
        [](TwoLinks& r) { r.Grow(1, 500, 130); }, Tick},
       630},
      {"eth0 plugged in again as eth1, its old row listed down at zeros",
       {Tick, [](TwoLinks& r) { r.Grow(1, 100); }, Tick,
        [](TwoLinks& r) {
          r.table.rows[1] = MakeLink("eth0", kEthAddress, 2, 0);
          r.table.rows.push_back(MakeLink("eth1", kEthAddress, 8));
        },
        Tick, [](TwoLinks& r) { r.Grow(3, 50, 20), r.Grow(2, 30); }, Tick},
       200},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TwoLinks rig;
    for (Step step : c.steps)
      step(rig);
    EXPECT_EQ(rig.state.TotalDataKB, 100 + c.added);
    EXPECT_EQ(rig.view.label1, FormatDataQuantity(100 + c.added, rig.locale.NumberSeparators()));
  }
}

TEST_F(Connections, AFirstConnectionThatIsDownIsBoundOnceAndTheSealStays) {
  table.rows[1].dwOperStatus = 2;
  for (int tick = 0; tick < 10; ++tick) {
    Grow(2, 10);
    GetConnectedState(meter);
  }
  EXPECT_EQ(std::count_if(store.writes.begin(), store.writes.end(),
                          [](const auto& w) { return w.name == "LastBoot"; }),
            2);  // emptied and sealed once
  EXPECT_EQ(state.TotalDataKB, 190u);
}

// A new name whose store fails, or a kill between its two writes: the store is made good at
// a later tick, and a start meanwhile meters the whole set under the new name.
TEST_F(Connections, ANewNameIsStoredWhereverTheStoreLacksIt) {
  for (const char* failing : {"NetworkType", "NetworkSet"}) {
    SCOPED_TRACE(failing);
    TwoLinks rig;
    rig.store.Set("NetworkType", "eth0");
    rig.store.Set("NetworkSet", FormatNetworkSet(rig.state.Connections));
    GetConnectedState(rig.meter);
    std::memcpy(rig.table.rows[1].bDescr, "eth1", 4);
    rig.store.failingWrites = {failing};
    GetConnectedState(rig.meter);
    EXPECT_EQ(LoadNetworkSet(rig.store, rig.store.Get("NetworkType")).size(), 2u);  // a start
    rig.store.failingWrites.clear();
    GetConnectedState(rig.meter);
    EXPECT_EQ(rig.store.Get("NetworkType"), "eth1");
    EXPECT_EQ(rig.store.Get("NetworkSet"), FormatNetworkSet(rig.state.Connections));
  }
}

// A renamed link that the system still lists under its old name, with counters of zero (up
// or down), until the table is read afresh under the new name: its traffic counts once.
TEST_F(Connections, ARowReadingZerosKeepsTheLinksReadings) {
  Grow(1, 50, 5);
  GetConnectedState(meter);
  const IfRow real = table.rows[1];
  for (std::uint32_t status : {kUp, 2u, kUp}) {
    table.rows[1].dwInOctets = table.rows[1].dwOutOctets = 0;
    table.rows[1].dwOperStatus = status;
    GetConnectedState(meter);
  }
  EXPECT_EQ(state.TotalDataKB, 100u);
  EXPECT_EQ(store.Get("LastDown"), "50");  // a later start counts from the readings it had
  table.rows[1] = real;
  std::memcpy(table.rows[1].bDescr, "eth1", 4);
  Grow(1, 7, 1);
  GetConnectedState(meter);
  EXPECT_EQ(state.TotalDataKB, 108u);
}

TEST_F(Connections, AStartCountsWhatPassedOnEachSinceTheStoredReadings) {
  const std::pair<const char*, std::uint32_t> cases[] = {{"3 32 70 7", 33}, {"3 32 95 7", 103},
                                                         {"3 48 70 7", 11}, {"3 32 70", 11},
                                                         {"9 32 70 7", 11}, {"", 11}};
  for (const auto& [others, added] : cases) {
    SCOPED_TRACE(others);
    TwoLinks rig;
    rig.store.Set("NetworkSet", FormatNetworkSet(rig.state.Connections));
    rig.state.Connections = LoadNetworkSet(rig.store, "eth0");
    for (auto [name, value] : {std::pair{"LastIndex", "2"},
                               {"LastWidth", "32"},
                               {"LastDown", "50"},
                               {"LastUp", "5"},
                               {"LastOthers", others}})
      rig.store.Set(name, value);
    rig.store.Set("LastBoot", std::to_string(rig.clock.utcMilliseconds - kHour));
    rig.store.Set("LastUptime", "1800000");
    rig.Grow(1, 60, 6);
    rig.Grow(2, 90, 9);
    GetConnectedState(rig.meter);
    EXPECT_EQ(rig.state.TotalDataKB, 100 + added);
  }
}

TEST_F(Connections, AChoiceKeepsTheFiguresAndCountsEachFromWhenItIsAdded) {
  state.Connections.clear();  // eth0 alone
  Grow(2, 5000);
  GetConnectedState(meter);
  store.Set("LastOthers", "3 32 0 0");
  ChooseConnections(state, store, {{"eth0", kEthAddress, ""}, {"wlan0", kWlanAddress, ""}});
  EXPECT_EQ(store.Get("NetworkSet"), FormatNetworkSet(state.Connections));
  Grow(1, 10);
  GetConnectedState(meter);  // eth0 counts on, wlan0 from now
  Grow(1, 1);
  Grow(2, 20);
  GetConnectedState(meter);
  EXPECT_EQ(state.TotalDataKB, 131u);
  ChooseConnections(state, store, {{"wlan0", kWlanAddress, ""}});
  EXPECT_EQ(store.Get("NetworkType"), "wlan0");
  Grow(1, 100);
  Grow(2, 2);
  EXPECT_EQ(GetConnectedState(meter), 1);  // wlan0 counts on where it was
  EXPECT_EQ(state.TotalDataKB, 133u);
}

}  // namespace
}  // namespace pelliton
