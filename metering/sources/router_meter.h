#pragma once

#include <cstdint>
#include <string>

#include "metering/meter_state.h"
#include "metering/sources/readings.h"
#include "metering/sources/router_source.h"
#include "store/settings_store.h"

namespace pelliton {

// The household's router at this tick, when it is metered instead of this PC's connections
// (MeterState::NetworkRouter names it): the growth of its latest reading in whole KB, counted
// by the router's rules; the octets short of a KB wait for the next. A router that has not
// answered, or another one, gives nothing (`seen` false); its counters' growth counts when it
// answers again. Growth counts while its internet link is down as well. The first reading of
// a run adds what the router counted since the readings the store keeps ("LastRouter"),
// unless they are another router's. The first time a counter is found stuck it gives a
// notice for the user, which the tick shows.
struct RouterTick {
  bool seen = false;
  Traffic growth{};
  bool linkUp = false;  // only a tick with the link up counts connected time
  std::string notice;   // empty: none
};
RouterTick CountRouterTick(MeterState& state, SettingsStore& store, RouterSource& router);

// Stores the router's present readings as "LastRouter", in one write.
void KeepRouterReadings(const MeterState& state, SettingsStore& store);

// Forgets the router's stored readings and its counting, so that nothing that passes until
// it is counted again is ever counted (frozen, or this PC's connections chosen). Never fails.
void ForgetRouterReadings(MeterState& state, SettingsStore& store);

// Meters `udn` (empty: this PC's connections again), keeping the cycle's figures: stored as
// "NetworkRouter", and the readings of the source left forgotten, so that what it counts
// from now is never counted twice; `router`, where the platform reads one, follows it. Store
// failures propagate; memory changes once stored.
void ChooseRouter(MeterState& state, SettingsStore& store, RouterSource* router,
                  const std::string& udn);

// The router a start meters: "NetworkRouter" when it reads as a UDN, else none; never fails.
std::string LoadNetworkRouter(SettingsStore& store);

}  // namespace pelliton
