#include "platform/if_table.h"

#include <windows.h>
#include <winsock2.h>
#include <ws2ipdef.h>

#include <iphlpapi.h>
#include <netioapi.h>  // GetIfEntry2, left out by iphlpapi.h below Vista's NTDDI_VERSION

#include <cstddef>
#include <cstdio>
#include <cstring>

namespace pelliton {

// Snapshots copy the platform's rows byte for byte into IfRow.
static_assert(sizeof(IfRow) == sizeof(MIB_IFROW));
static_assert(offsetof(IfRow, dwIndex) == offsetof(MIB_IFROW, dwIndex));
static_assert(offsetof(IfRow, dwOperStatus) == offsetof(MIB_IFROW, dwOperStatus));
static_assert(offsetof(IfRow, dwInOctets) == offsetof(MIB_IFROW, dwInOctets));
static_assert(offsetof(IfRow, dwOutOctets) == offsetof(MIB_IFROW, dwOutOctets));
static_assert(offsetof(IfRow, dwPhysAddrLen) == offsetof(MIB_IFROW, dwPhysAddrLen));
static_assert(offsetof(IfRow, bPhysAddr) == offsetof(MIB_IFROW, bPhysAddr));
static_assert(offsetof(IfRow, dwSpeed) == offsetof(MIB_IFROW, dwSpeed));
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

// "{6B29FC40-CA47-1067-B31D-00DD010662DA}"; empty for the all-zero GUID of no identity.
std::string GuidText(const GUID& guid) {
  const GUID none{};
  if (std::memcmp(&guid, &none, sizeof guid) == 0) return {};
  char text[40];
  std::snprintf(text, sizeof text, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(guid.Data1), guid.Data2, guid.Data3, guid.Data4[0],
                guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                guid.Data4[6], guid.Data4[7]);
  return text;
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
  return ReadDetails(interfaceIndex).counters64;
}

std::string IpHelperInterfaceTable::ReadIdentity(std::uint32_t interfaceIndex) {
  return ReadDetails(interfaceIndex).identity;
}

// One GetIfEntry2 gives both; where the system lacks it (before Vista) or it fails, neither.
InterfaceDetails IpHelperInterfaceTable::ReadDetails(std::uint32_t interfaceIndex) {
  static const auto getIfEntry2 = IpHelperFunction<GetIfEntry2Function>("GetIfEntry2");
  if (getIfEntry2 == nullptr) return {};
  MIB_IF_ROW2 row{};
  row.InterfaceIndex = interfaceIndex;
  if (getIfEntry2(&row) != NO_ERROR) return {};
  return {Counters64{row.InOctets, row.OutOctets}, GuidText(row.InterfaceGuid)};
}

}  // namespace pelliton
