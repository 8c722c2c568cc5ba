#pragma once

#include <vector>

#include "metering/base/clock.h"
#include "metering/meter_state.h"
#include "metering/sources/counter_source.h"
#include "metering/sources/readings.h"
#include "store/settings_store.h"

namespace pelliton {

// What one tick does to the metered set: the links as they count on, the growth of the links
// that counted, and what the links bound afresh add from the stored readings.
struct SetTick {
  std::vector<LinkState> links;
  Traffic growth{};
  Traffic uncounted{};
  bool counted = false;  // a bound link was up and counted
  bool bound = false;    // a link was bound afresh
  bool boundUp = false;  // one of those is up
};

// The set's part of a tick, on the rows the tick read: the set turns them into growth by its
// own rules. A connection found under another name takes it, in the store as well. Each bound
// connection found again at its interface and up counts the growth of its counters (64-bit
// where this tick and the last had them, else the 32-bit wrap rule); one down, or whose row
// gives no readings, keeps its readings for when it is up again; one gone or found at another
// interface is unbound and its stored readings held. Each connection found and not bound is
// bound afresh at its row's present readings, and, unless just added, with what passed since
// the readings that the store keeps (metering/sources/readings.h). The speed is the counted
// growth, none on a tick that only bound. The links go back with SetLinks once their readings
// are stored (KeptReadings); nothing here shows or reloads anything.
SetTick CountSetTick(MeterState& state, SettingsStore& store, const Clock& clock,
                     const std::vector<SourceReading>& rows);

// The readings to store: those of the bound links, and the last stored ones of a link unbound
// since, until it is bound again.
std::vector<Readings> KeptReadings(const std::vector<LinkState>& links);

}  // namespace pelliton
