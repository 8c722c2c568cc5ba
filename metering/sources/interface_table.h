#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pelliton {

inline constexpr std::uint32_t kNoError = 0;
inline constexpr std::uint32_t kErrorInsufficientBuffer = 122;

// Byte-for-byte the platform's MIB_IFROW (860 bytes, little-endian, no padding).
struct IfRow {
  char16_t wszName[256];
  std::uint32_t dwIndex;
  std::uint32_t dwType;
  std::uint32_t dwMtu;
  std::uint32_t dwSpeed;
  std::uint32_t dwPhysAddrLen;
  std::uint8_t bPhysAddr[8];
  std::uint32_t dwAdminStatus;
  std::uint32_t dwOperStatus;
  std::uint32_t dwLastChange;
  std::uint32_t dwInOctets;
  std::uint32_t dwInUcastPkts;
  std::uint32_t dwInNUcastPkts;
  std::uint32_t dwInDiscards;
  std::uint32_t dwInErrors;
  std::uint32_t dwInUnknownProtos;
  std::uint32_t dwOutOctets;
  std::uint32_t dwOutUcastPkts;
  std::uint32_t dwOutNUcastPkts;
  std::uint32_t dwOutDiscards;
  std::uint32_t dwOutErrors;
  std::uint32_t dwOutQLen;
  std::uint32_t dwDescrLen;
  std::uint8_t bDescr[256];
};
static_assert(sizeof(IfRow) == 860, "IfRow must mirror MIB_IFROW");

inline constexpr std::size_t kIfTableHeaderSize = 4;  // dwNumEntries before the rows

// Rows in the table's own order; empty when no table could be had.
using Snapshot = std::vector<IfRow>;

// An interface's octet counters at their full 64-bit width.
struct Counters64 {
  std::uint64_t inOctets = 0;
  std::uint64_t outOctets = 0;
};

// What the platform knows of an interface beyond its row: the 64-bit counters and the
// identity, where it has them.
struct InterfaceDetails {
  std::optional<Counters64> counters64;
  std::string identity;
};

// A row as one reading of the whole table gives it where the system has 64-bit counters: the
// row in MIB_IFROW's form (its counters the low 32 bits), and what that form lacks.
struct WideRow {
  IfRow row;
  Counters64 counters64;
  std::string identity;  // the interface GUID as text; empty for none
};

// A row's identity as it was found, kept for as long as the row's index, description and
// hardware address stay the same.
struct KnownIdentity {
  std::string description;
  std::string hardwareAddress;
  std::string identity;
};

// The interface table with GetIfTable's sizing contract: called with a size too small for
// the table it stores the needed size in *size and returns kErrorInsufficientBuffer; with
// a buffer of that size it fills dwNumEntries and the rows and returns kNoError. Any other
// result is a failure.
class InterfaceTable {
 public:
  virtual ~InterfaceTable() = default;
  virtual std::uint32_t GetIfTable(void* table, std::uint32_t* size, bool order) = 0;
  // Every row with its 64-bit counters and identity from one reading of the table, in the
  // table's order; nothing where the platform has no such reading or it fails now (then the
  // rows come from GetIfTable). Out of memory propagates.
  virtual std::optional<std::vector<WideRow>> ReadWideTable() { return std::nullopt; }
  // The 64-bit counters of the interface whose row has dwIndex `interfaceIndex`; nothing
  // where the platform has none or cannot read them now.
  virtual std::optional<Counters64> ReadCounters64(std::uint32_t /*interfaceIndex*/) {
    return std::nullopt;
  }
  // The identity of the interface whose row has dwIndex `interfaceIndex` (its GUID as text);
  // empty where the platform has none.
  virtual std::string ReadIdentity(std::uint32_t /*interfaceIndex*/) { return {}; }
  // Both of the above; a platform that reads them in one call overrides this.
  virtual InterfaceDetails ReadDetails(std::uint32_t interfaceIndex) {
    return {ReadCounters64(interfaceIndex), ReadIdentity(interfaceIndex)};
  }

  // The identities found so far, by interface index; the row source keeps them
  // (counter_source.h).
  std::map<std::uint32_t, KnownIdentity> knownIdentities;
};

// dwOperStatus of a link that carries traffic. A LAN cable that is out reads 2
// (disconnected) and a WAN link that is not dialled 1 (unreachable): neither is connected.
inline constexpr std::uint32_t kOperStatusConnected = 4;
inline constexpr std::uint32_t kOperStatusOperational = 5;

inline bool IsConnected(const IfRow& row) {
  return row.dwOperStatus == kOperStatusConnected || row.dwOperStatus == kOperStatusOperational;
}

// Fills `snapshot` (passed in empty) from two calls of the table: size, then rows. Any
// failure leaves it empty; there is no retry. Out of memory propagates as std::bad_alloc.
void Get_IfTableMIB(InterfaceTable& table, Snapshot& snapshot);

// The identity of a connection: bDescr up to dwDescrLen (at most 256) and the first NUL,
// trimmed of characters 32 and below at both ends. A row without description bytes
// (dwDescrLen 0, or 1 with a NUL) raises RangeError.
std::string DescriptionText(const IfRow& row);

}  // namespace pelliton
