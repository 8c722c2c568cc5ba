#include "metering/sources/counter_source.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "store/errors.h"

namespace pelliton {

std::string HardwareAddressText(const IfRow& row) {
  const std::size_t length = std::min<std::size_t>(row.dwPhysAddrLen, sizeof row.bPhysAddr);
  std::string text;
  for (std::size_t i = 0; i < length; ++i) {
    char pair[4];
    std::snprintf(pair, sizeof pair, "%02X", row.bPhysAddr[i]);
    if (i != 0) text += '-';
    text += pair;
  }
  return text;
}

namespace {

// What the row itself tells: its description, hardware address, index, state, speed and
// 32-bit counters.
SourceReading NarrowReading(const IfRow& row) {
  SourceReading reading;
  reading.id = {DescriptionText(row), HardwareAddressText(row), {}};
  reading.index = row.dwIndex;
  reading.connected = IsConnected(row);
  reading.speedBitsPerSecond = row.dwSpeed;
  reading.downOctets = reading.downOctets32 = row.dwInOctets;
  reading.upOctets = reading.upOctets32 = row.dwOutOctets;
  return reading;
}

void SetWide(SourceReading& reading, const Counters64& counters) {
  reading.wide = true;
  reading.downOctets = counters.inOctets;
  reading.upOctets = counters.outOctets;
}

bool SameRow(const KnownIdentity& known, const ConnectionId& id) {
  return known.description == id.description && known.hardwareAddress == id.hardwareAddress;
}

void Keep(InterfaceTable& table, const SourceReading& reading) {
  KnownIdentity& known = table.knownIdentities[reading.index];
  if (!SameRow(known, reading.id) || known.identity != reading.id.identity)
    known = {reading.id.description, reading.id.hardwareAddress, reading.id.identity};
}

// Forgets the identities of the rows that are gone.
void ForgetOthers(InterfaceTable& table, const std::vector<SourceReading>& readings) {
  std::erase_if(table.knownIdentities, [&](const auto& known) {
    return std::none_of(readings.begin(), readings.end(),
                        [&](const SourceReading& r) { return r.index == known.first; });
  });
}

}  // namespace

// The identity is read once for a row and kept; the 64-bit counters are read only for a row
// that carries traffic, the only kind that counts.
SourceReading RowReading(InterfaceTable& table, const IfRow& row) {
  SourceReading reading = NarrowReading(row);
  const auto known = table.knownIdentities.find(row.dwIndex);
  InterfaceDetails details;
  if (known != table.knownIdentities.end() && SameRow(known->second, reading.id)) {
    details.identity = known->second.identity;
    if (reading.connected) details.counters64 = table.ReadCounters64(row.dwIndex);
  } else if (reading.connected) {
    details = table.ReadDetails(row.dwIndex);
  } else {
    details.identity = table.ReadIdentity(row.dwIndex);
  }
  reading.id.identity = std::move(details.identity);
  if (details.counters64) SetWide(reading, *details.counters64);
  Keep(table, reading);
  return reading;
}

// One reading of the whole table where the platform has it, else the rows of GetIfTable.
std::vector<SourceReading> InterfaceRowSource::Read() {
  std::vector<SourceReading> readings;
  // A row without a description is left out; the others count on.
  if (std::optional<std::vector<WideRow>> rows = table_.ReadWideTable()) {
    readings.reserve(rows->size());
    for (WideRow& row : *rows) {
      try {
        SourceReading reading = NarrowReading(row.row);
        SetWide(reading, row.counters64);
        reading.id.identity = std::move(row.identity);
        Keep(table_, reading);
        readings.push_back(std::move(reading));
      } catch (const RangeError&) {
      }
    }
  } else {
    Snapshot snapshot;
    Get_IfTableMIB(table_, snapshot);
    readings.reserve(snapshot.size());
    for (const IfRow& row : snapshot) {
      try {
        readings.push_back(RowReading(table_, row));
      } catch (const RangeError&) {
      }
    }
  }
  ForgetOthers(table_, readings);
  return readings;
}

}  // namespace pelliton
