#pragma once

#include <cstdint>
#include <string>

#include "metering/meter_context.h"

namespace pelliton {

// The accounting step while the household's router is metered (state.NetworkRouter names
// it): the latest reading the worker has, counted by the router's rules. A router that has
// not answered, or another one, gives a "DC" tick that counts nothing; its counters'
// growth counts when it answers again. Growth counts while its internet link is down as
// well, but only a tick with the link up counts connected time. The first reading of a run
// adds what the router counted since the readings the store keeps ("LastRouter"), unless
// they are another router's. Returns 1 when the tick counts connected time.
std::uint8_t CountRouterTick(MeterContext& meter);

// Stores the router's present readings as "LastRouter", in one write.
void KeepRouterReadings(MeterContext& meter);

// Forgets the router's stored readings and its counting, so that nothing that passes until
// it is counted again is ever counted (frozen, or this PC's connections chosen). Never fails.
void ForgetRouterReadings(MeterState& state, SettingsStore& store);

// Meters `udn` (empty: this PC's connections again), keeping the cycle's figures: stored as
// "NetworkRouter", and the readings of the source left forgotten, so that what it counts
// from now is never counted twice. Store failures propagate; memory changes once stored.
void ChooseRouter(MeterContext& meter, const std::string& udn);

// The router a start meters: "NetworkRouter" when it reads as a UDN, else none; never fails.
std::string LoadNetworkRouter(SettingsStore& store);

}  // namespace pelliton
