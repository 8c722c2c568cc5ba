#pragma once

#include "metering/sources/interface_table.h"

namespace pelliton {

// IP Helper's GetIfTable2 for every row with its 64-bit counters and identity where the system
// has it, else GetIfTable, and GetIfEntry2 for one interface's; IP Helper is loaded at the first
// call, and each of these looked up in it, so that the program still starts without them.
class IpHelperInterfaceTable : public InterfaceTable {
 public:
  std::uint32_t GetIfTable(void* table, std::uint32_t* size, bool order) override;
  std::optional<std::vector<WideRow>> ReadWideTable() override;
  std::optional<Counters64> ReadCounters64(std::uint32_t interfaceIndex) override;
  std::string ReadIdentity(std::uint32_t interfaceIndex) override;
  InterfaceDetails ReadDetails(std::uint32_t interfaceIndex) override;
};

}  // namespace pelliton
