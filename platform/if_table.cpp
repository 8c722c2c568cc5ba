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
static_assert(kOperStatusConnected == MIB_IF_OPER_STATUS_CONNECTED);
static_assert(kOperStatusOperational == MIB_IF_OPER_STATUS_OPERATIONAL);

namespace {

using GetIfTableFunction = DWORD(WINAPI*)(PMIB_IFTABLE, PULONG, BOOL);
using GetIfEntry2Function = DWORD(WINAPI*)(PMIB_IF_ROW2);

// A function of IP Helper, or null where the system lacks it (GetIfEntry2 came with Vista).
// IP Helper is loaded at the first snapshot, not at start: the program starts sooner, and
// still starts where a function is missing.
FARPROC IpHelperAddress(const char* name) {
  static const HMODULE module = LoadLibraryW(L"iphlpapi.dll");
  return module != nullptr ? GetProcAddress(module, name) : nullptr;
}

template <class Function>
Function IpHelperFunction(const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(IpHelperAddress(name)));
}

}  // namespace

std::uint32_t IpHelperInterfaceTable::GetIfTable(void* table, std::uint32_t* size, bool order) {
  static const auto getIfTable = IpHelperFunction<GetIfTableFunction>("GetIfTable");
  if (getIfTable == nullptr) return ERROR_NOT_SUPPORTED;
  ULONG platformSize = *size;
  const DWORD result =
      getIfTable(static_cast<PMIB_IFTABLE>(table), &platformSize, order ? TRUE : FALSE);
  *size = platformSize;
  return result;
}

std::optional<Counters64> IpHelperInterfaceTable::ReadCounters64(std::uint32_t interfaceIndex) {
  static const auto getIfEntry2 = IpHelperFunction<GetIfEntry2Function>("GetIfEntry2");
  if (getIfEntry2 == nullptr) return std::nullopt;
  MIB_IF_ROW2 row{};
  row.InterfaceIndex = interfaceIndex;
  if (getIfEntry2(&row) != NO_ERROR) return std::nullopt;
  return Counters64{row.InOctets, row.OutOctets};
}

}  // namespace pelliton
