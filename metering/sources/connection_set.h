#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "metering/meter_state.h"
#include "metering/sources/counter_source.h"
#include "metering/sources/interface_table.h"
#include "store/settings_store.h"

namespace pelliton {

// The description without the system's instance suffix: "Modem #2" reads "Modem".
std::string_view WithoutInstanceSuffix(std::string_view description);

// Whether a description is one of an adapter's filter rows: it ends in "-<something>-0000".
bool IsFilterRow(std::string_view description);

// Whether the hardware address can tell connections apart: present and not all zeros.
bool HasHardwareAddress(const ConnectionId& id);

// For each connection of `set`, the position in `rows` of the row it counts on, or none.
// Each pass over the whole set finds, in order: the same identity, the same hardware address,
// the same description, the same description without the instance suffix. A row counts for
// one connection at most, and of the rows sharing a hardware address (filter rows, a virtual
// switch's adapter) at most one counts: the first one taken by these passes. Among rows with
// the connection's hardware address, the one with its description goes first, then one that
// is no filter row, then the first in table order.
std::vector<std::optional<std::size_t>> MatchConnections(const std::vector<ConnectionId>& set,
                                                         const std::vector<SourceReading>& rows);

// For each row, the row that stands for its traffic: itself, or the row that would count for
// its hardware address (the first row of that address that is no filter row, else the
// first). The dialog shows a row whose stand-in is another as carrying that one's traffic.
std::vector<std::size_t> SameTrafficRows(const std::vector<SourceReading>& rows);

// "NetworkSet": the whole set as text (docs/connections.md has the form).
inline constexpr std::size_t kLongestNetworkSet = 16384;
inline constexpr std::size_t kMostConnections = 32;
std::string FormatNetworkSet(const std::vector<ConnectionId>& set);
// The set of a text, or nothing when it is not one this program wrote (any damage at all).
std::optional<std::vector<ConnectionId>> ParseNetworkSet(std::string_view text);

// The set a start meters: the stored "NetworkSet" when it reads, whatever its first
// description (the start then meters by that name), else `networkType` alone; never fails.
std::vector<ConnectionId> LoadNetworkSet(SettingsStore& store, const std::string& networkType);

// The set being metered now: the stored set while it begins with NetworkType, else
// NetworkType alone.
std::vector<ConnectionId> MeteredConnections(const MeterState& state);

// Every connection now, in table order (for the dialog); empty when the table cannot be read.
std::vector<SourceReading> ListConnections(InterfaceTable& table);

// Stores the set ("NetworkType" = first, "NetworkSet" = all), keeps the cycle's figures, and
// makes the next tick count the new set from then on: an added connection counts from the
// moment it is added, a removed one stops. An empty set changes nothing. Store failures
// propagate (the dialog shows them); memory changes only once all is stored.
void ChooseConnections(MeterState& state, SettingsStore& store,
                       const std::vector<ConnectionId>& set);

// After "NetworkType" alone was chosen (Change Network, the first run): the set is that one
// connection. Deletes "NetworkSet" (a set that is absent reads as "NetworkType" alone); never
// fails.
void MeterNetworkTypeAlone(MeterState& state, SettingsStore& store);

// What the tick reads: every source's connections, the interface rows first.
std::vector<SourceReading> ReadConnections(InterfaceTable& table);

// The counting of each metered connection, in the set's order: the first from the bound-row
// fields of MeterState, the others from OtherLinks (as many as the set has).
std::vector<LinkState> Links(const MeterState& state);
// Puts them back; the first's row must fit AdapterRow while it is bound.
void SetLinks(MeterState& state, const std::vector<LinkState>& links);
// No connection counts on from its binding: the next tick finds each afresh.
void UnbindAll(MeterState& state);

}  // namespace pelliton
