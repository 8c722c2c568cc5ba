#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "metering/sources/interface_table.h"

namespace pelliton::testing {

// A row as the platform would report it. `descrLen` defaults to the Windows convention
// (text length + 1, counting the NUL); pass the text length for the Wine convention.
inline IfRow MakeRow(std::string_view descr, std::uint32_t operStatus, std::uint32_t inOctets,
                     std::uint32_t outOctets, std::int64_t descrLen = -1) {
  IfRow row{};
  std::memcpy(row.bDescr, descr.data(), std::min<std::size_t>(descr.size(), 256));
  row.dwDescrLen = descrLen < 0 ? static_cast<std::uint32_t>(descr.size() + 1)
                                : static_cast<std::uint32_t>(descrLen);
  row.dwOperStatus = operStatus;
  row.dwInOctets = inOctets;
  row.dwOutOctets = outOctets;
  return row;
}

// A row with a hardware address ("00-1A-2B-3C-4D-5E": six bytes), an interface index and
// a speed in bits per second.
inline IfRow MakeLink(std::string_view descr, std::string_view address, std::uint32_t index,
                      std::uint32_t operStatus = 5, std::uint32_t speed = 0) {
  IfRow row = MakeRow(descr, operStatus, 0, 0);
  for (std::size_t i = 0; i * 3 + 1 < address.size() && i < 8; ++i) {
    const std::string pair(address.substr(i * 3, 2));
    row.bPhysAddr[i] = static_cast<std::uint8_t>(std::stoul(pair, nullptr, 16));
    row.dwPhysAddrLen = static_cast<std::uint32_t>(i + 1);
  }
  row.dwIndex = index;
  row.dwSpeed = speed;
  return row;
}

// The interface table with GetIfTable's sizing contract, and knobs for its failures.
class FakeInterfaceTable : public InterfaceTable {
 public:
  std::uint32_t GetIfTable(void* table, std::uint32_t* size, bool order) override {
    ++calls;
    lastOrder = order;
    if (throwBadAlloc) throw std::bad_alloc();
    const std::uint32_t needed = Needed();
    if (*size < needed) {
      if (firstCallResult != kErrorInsufficientBuffer) return firstCallResult;
      *size = needed;
      rows.resize(rows.size() + growBeforeSecondCall);  // the table grows after the size query
      growBeforeSecondCall = 0;
      return kErrorInsufficientBuffer;
    }
    if (secondCallResult != kNoError) return secondCallResult;
    auto* bytes = static_cast<std::uint8_t*>(table);
    const auto count = static_cast<std::uint32_t>(rows.size());
    std::memcpy(bytes, &count, sizeof count);
    if (!rows.empty()) {
      std::memcpy(bytes + kIfTableHeaderSize, rows.data(), rows.size() * sizeof(IfRow));
    }
    return kNoError;
  }

  // With `wide`: the rows with their 64-bit counters (none: zeros) and identities at once.
  std::optional<std::vector<WideRow>> ReadWideTable() override {
    if (!wide) return std::nullopt;
    std::vector<WideRow> table;
    for (const IfRow& row : rows)
      table.push_back({row, counters64[row.dwIndex], IdentityOf(row.dwIndex)});
    return table;
  }

  std::optional<Counters64> ReadCounters64(std::uint32_t interfaceIndex) override {
    ++reads64;
    const auto found = counters64.find(interfaceIndex);
    if (found == counters64.end()) return std::nullopt;
    return found->second;
  }

  std::string ReadIdentity(std::uint32_t interfaceIndex) override {
    ++identityReads;
    return IdentityOf(interfaceIndex);
  }

  std::string IdentityOf(std::uint32_t interfaceIndex) const {
    const auto found = identities.find(interfaceIndex);
    return found == identities.end() ? std::string() : found->second;
  }

  std::uint32_t Needed() const {
    return static_cast<std::uint32_t>(kIfTableHeaderSize + rows.size() * sizeof(IfRow));
  }

  std::vector<IfRow> rows;
  int calls = 0;
  bool lastOrder = true;
  bool throwBadAlloc = false;
  std::uint32_t firstCallResult = kErrorInsufficientBuffer;  // anything else: size query fails
  std::uint32_t secondCallResult = kNoError;                 // anything else: fill fails
  std::size_t growBeforeSecondCall = 0;            // rows added once, right after a size query
  std::map<std::uint32_t, Counters64> counters64;  // by interface index; others have none
  int reads64 = 0;
  std::map<std::uint32_t, std::string> identities;  // by interface index; others have none
  int identityReads = 0;
  bool wide = false;  // one reading of the whole table
};

}  // namespace pelliton::testing
