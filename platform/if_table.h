#pragma once

#include "metering/sources/interface_table.h"

namespace pelliton {

// IP Helper's GetIfTable, and GetIfEntry2 for the 64-bit counters and the identity where the system
// has it; IP Helper is loaded at the first call.
class IpHelperInterfaceTable : public InterfaceTable {
 public:
  std::uint32_t GetIfTable(void* table, std::uint32_t* size, bool order) override;
  std::optional<Counters64> ReadCounters64(std::uint32_t interfaceIndex) override;
  std::string ReadIdentity(std::uint32_t interfaceIndex) override;
  InterfaceDetails ReadDetails(std::uint32_t interfaceIndex) override;
};

}  // namespace pelliton
