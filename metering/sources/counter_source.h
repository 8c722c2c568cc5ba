#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "metering/sources/interface_table.h"

namespace pelliton {

// What finds a connection again: its description, its hardware address, its interface
// identity.
struct ConnectionId {
  std::string description;      // DescriptionText of the row
  std::string hardwareAddress;  // bPhysAddr as "00-1A-2B-3C-4D-5E"; empty when the row has none
  std::string identity;         // the interface GUID where the system gives one, else empty
  bool operator==(const ConnectionId&) const = default;
};

// One connection as its source reads it at a tick; the counting step treats every source
// alike.
struct SourceReading {
  ConnectionId id;
  std::uint32_t index = 0;  // the interface index (0 for a source without one)
  bool connected = false;
  std::uint64_t speedBitsPerSecond = 0;  // the link's speed
  bool wide = false;                     // 64-bit counters (exact, never wrap) or 32-bit (wrap)
  std::uint64_t downOctets = 0;
  std::uint64_t upOctets = 0;
  // The 32-bit readings, also beside wide ones (a source without them gives the low 32 bits):
  // a tick without the wide ones counts on from these by the wrap rule.
  std::uint32_t downOctets32 = 0;
  std::uint32_t upOctets32 = 0;
};

class CounterSource {
 public:
  virtual ~CounterSource() = default;
  // Every connection the source sees now, in its order; empty when nothing could be read.
  virtual std::vector<SourceReading> Read() = 0;
};

// The rows of the interface table, with the 64-bit counters and the identity where the
// platform has them: one reading of the whole table where it gives them so, else GetIfTable's
// rows and per row only what they lack. A row without description bytes is left out; out of
// memory propagates.
class InterfaceRowSource : public CounterSource {
 public:
  explicit InterfaceRowSource(InterfaceTable& table) : table_(table) {}
  std::vector<SourceReading> Read() override;

 private:
  InterfaceTable& table_;
};

// bPhysAddr up to dwPhysAddrLen (at most 8) as "00-1A-2B-3C-4D-5E"; empty for none.
std::string HardwareAddressText(const IfRow& row);

// One connection of a row of GetIfTable, with what `table` adds to it: the identity kept for the
// row, or read once; the 64-bit counters of a connected row.
SourceReading RowReading(InterfaceTable& table, const IfRow& row);

}  // namespace pelliton
