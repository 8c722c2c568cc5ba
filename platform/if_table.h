#pragma once

#include "metering/interface_table.h"

namespace pelliton {

// IP Helper's GetIfTable.
class IpHelperInterfaceTable : public InterfaceTable {
 public:
  std::uint32_t GetIfTable(void* table, std::uint32_t* size, bool order) override;
};

}  // namespace pelliton
