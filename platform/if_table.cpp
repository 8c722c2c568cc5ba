#include "platform/if_table.h"

#include <windows.h>
#include <winsock2.h>
#include <ws2ipdef.h>

#include <iphlpapi.h>
#include <netioapi.h>  // GetIfEntry2, left out by iphlpapi.h below Vista's NTDDI_VERSION

#include <cstddef>

namespace pelliton {

// Snapshots copy the platform's rows byte for byte into IfRow.
static_assert(sizeof(IfRow) == sizeof(MIB_IFROW));
static_assert(offsetof(IfRow, dwIndex) == offsetof(MIB_IFROW, dwIndex));
static_assert(offsetof(IfRow, dwOperStatus) == offsetof(MIB_IFROW, dwOperStatus));
static_assert(offsetof(IfRow, dwInOctets) == offsetof(MIB_IFROW, dwInOctets));
static_assert(offsetof(IfRow, dwOutOctets) == offsetof(MIB_IFROW, dwOutOctets));
static_assert(offsetof(IfRow, dwDescrLen) == offsetof(MIB_IFROW, dwDescrLen));
static_assert(offsetof(IfRow, bDescr) == offsetof(MIB_IFROW, bDescr));
static_assert(offsetof(MIB_IFTABLE, table) == kIfTableHeaderSize);

namespace {

using GetIfEntry2Function = DWORD(WINAPI*)(PMIB_IF_ROW2);

// GetIfEntry2 where IP Helper has it (Vista and later), looked up once so that the program
// still starts on systems without it.
GetIfEntry2Function FindGetIfEntry2() {
  static const GetIfEntry2Function function = [] {
    const HMODULE module = GetModuleHandleW(L"iphlpapi.dll");
    const FARPROC address = module != nullptr ? GetProcAddress(module, "GetIfEntry2") : nullptr;
    return reinterpret_cast<GetIfEntry2Function>(reinterpret_cast<void (*)()>(address));
  }();
  return function;
}

}  // namespace

std::uint32_t IpHelperInterfaceTable::GetIfTable(void* table, std::uint32_t* size, bool order) {
  ULONG platformSize = *size;
  const DWORD result =
      ::GetIfTable(static_cast<PMIB_IFTABLE>(table), &platformSize, order ? TRUE : FALSE);
  *size = platformSize;
  return result;
}

std::optional<Counters64> IpHelperInterfaceTable::ReadCounters64(std::uint32_t interfaceIndex) {
  const GetIfEntry2Function getIfEntry2 = FindGetIfEntry2();
  if (getIfEntry2 == nullptr) return std::nullopt;
  MIB_IF_ROW2 row{};
  row.InterfaceIndex = interfaceIndex;
  if (getIfEntry2(&row) != NO_ERROR) return std::nullopt;
  return Counters64{row.InOctets, row.OutOctets};
}

}  // namespace pelliton
