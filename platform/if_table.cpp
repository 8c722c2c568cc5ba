#include "platform/if_table.h"

#include <iphlpapi.h>
#include <windows.h>
#include <winsock2.h>

#include <cstddef>

namespace pelliton {

// Snapshots copy the platform's rows byte for byte into IfRow.
static_assert(sizeof(IfRow) == sizeof(MIB_IFROW));
static_assert(offsetof(IfRow, dwOperStatus) == offsetof(MIB_IFROW, dwOperStatus));
static_assert(offsetof(IfRow, dwInOctets) == offsetof(MIB_IFROW, dwInOctets));
static_assert(offsetof(IfRow, dwOutOctets) == offsetof(MIB_IFROW, dwOutOctets));
static_assert(offsetof(IfRow, dwDescrLen) == offsetof(MIB_IFROW, dwDescrLen));
static_assert(offsetof(IfRow, bDescr) == offsetof(MIB_IFROW, bDescr));
static_assert(offsetof(MIB_IFTABLE, table) == kIfTableHeaderSize);

std::uint32_t IpHelperInterfaceTable::GetIfTable(void* table, std::uint32_t* size, bool order) {
  ULONG platformSize = *size;
  const DWORD result =
      ::GetIfTable(static_cast<PMIB_IFTABLE>(table), &platformSize, order ? TRUE : FALSE);
  *size = platformSize;
  return result;
}

}  // namespace pelliton
