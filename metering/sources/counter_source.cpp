#include "metering/sources/counter_source.h"

#include <algorithm>
#include <cstdio>

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

SourceReading RowReading(InterfaceTable& table, const IfRow& row) {
  InterfaceDetails details = table.ReadDetails(row.dwIndex);
  SourceReading reading;
  reading.id = {DescriptionText(row), HardwareAddressText(row), std::move(details.identity)};
  reading.index = row.dwIndex;
  reading.connected = IsConnected(row);
  reading.speedBitsPerSecond = row.dwSpeed;
  reading.wide = details.counters64.has_value();
  reading.downOctets = reading.wide ? details.counters64->inOctets : row.dwInOctets;
  reading.upOctets = reading.wide ? details.counters64->outOctets : row.dwOutOctets;
  reading.downOctets32 = row.dwInOctets;
  reading.upOctets32 = row.dwOutOctets;
  return reading;
}

std::vector<SourceReading> InterfaceRowSource::Read() {
  Snapshot snapshot;
  Get_IfTableMIB(table_, snapshot);
  std::vector<SourceReading> readings;
  readings.reserve(snapshot.size());
  for (const IfRow& row : snapshot) {
    try {
      readings.push_back(RowReading(table_, row));
    } catch (const RangeError&) {
      // A row without a description is left out; the others count on.
    }
  }
  return readings;
}

}  // namespace pelliton
