#include "platform/if_table.h"

#include <windows.h>
#include <winsock2.h>
#include <ws2ipdef.h>

#include <iphlpapi.h>
#include <netioapi.h>  // GetIfEntry2, GetIfTable2, left out by iphlpapi.h below Vista's NTDDI_VERSION

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>

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
using GetIfTable2Function = DWORD(WINAPI*)(PMIB_IF_TABLE2*);
using FreeMibTableFunction = void(WINAPI*)(PVOID);

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

// MIB_IFROW's operational state of an interface's IF_OPER_STATUS.
DWORD NarrowOperStatus(IF_OPER_STATUS status) {
  switch (status) {
    case IfOperStatusUp:
      return MIB_IF_OPER_STATUS_OPERATIONAL;
    case IfOperStatusDormant:
      return MIB_IF_OPER_STATUS_UNREACHABLE;  // waits to be dialled
    case IfOperStatusDown:
    case IfOperStatusLowerLayerDown:
      return MIB_IF_OPER_STATUS_DISCONNECTED;
    default:
      return MIB_IF_OPER_STATUS_NON_OPERATIONAL;
  }
}

// A row of GetIfTable2 as GetIfTable gives it: the description in the system code page,
// the octet counters' low 32 bits. The name and the packet counters, which nothing reads, stay
// empty.
void NarrowRow(const MIB_IF_ROW2& wide, MIB_IFROW& row) {
  row.dwIndex = wide.InterfaceIndex;
  row.dwType = wide.Type;
  row.dwMtu = wide.Mtu;
  row.dwSpeed = static_cast<DWORD>(std::min<ULONG64>(wide.ReceiveLinkSpeed, MAXDWORD));
  if (wide.PhysicalAddressLength <= sizeof row.bPhysAddr) {
    row.dwPhysAddrLen = wide.PhysicalAddressLength;
    std::memcpy(row.bPhysAddr, wide.PhysicalAddress, row.dwPhysAddrLen);
  }
  row.dwAdminStatus = static_cast<DWORD>(wide.AdminStatus);
  row.dwOperStatus = NarrowOperStatus(wide.OperStatus);
  row.dwInOctets = static_cast<DWORD>(wide.InOctets);
  row.dwOutOctets = static_cast<DWORD>(wide.OutOctets);
  // Converted whole, then cut to the field: a longer text would fail the conversion.
  char text[(IF_MAX_STRING_SIZE + 1) * 4];
  const int length =
      WideCharToMultiByte(CP_ACP, 0, wide.Description,
                          static_cast<int>(wcsnlen(wide.Description, IF_MAX_STRING_SIZE + 1)), text,
                          sizeof text, nullptr, nullptr);
  const auto kept =
      std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)), sizeof row.bDescr - 1);
  std::memcpy(row.bDescr, text, kept);
  row.dwDescrLen = static_cast<DWORD>(kept + 1);  // counting the NUL, as Windows does
}

struct MibTableFree {
  FreeMibTableFunction free;
  void operator()(MIB_IF_TABLE2* table) const { free(table); }
};

}  // namespace

std::optional<std::vector<WideRow>> IpHelperInterfaceTable::ReadWideTable() {
  static const auto getIfTable2 = IpHelperFunction<GetIfTable2Function>("GetIfTable2");
  static const auto freeMibTable = IpHelperFunction<FreeMibTableFunction>("FreeMibTable");
  if (getIfTable2 == nullptr || freeMibTable == nullptr) return std::nullopt;
  MIB_IF_TABLE2* raw = nullptr;
  if (getIfTable2(&raw) != NO_ERROR || raw == nullptr) return std::nullopt;
  const std::unique_ptr<MIB_IF_TABLE2, MibTableFree> table(raw, MibTableFree{freeMibTable});
  std::vector<WideRow> rows(table->NumEntries);
  for (ULONG i = 0; i < table->NumEntries; ++i) {
    const MIB_IF_ROW2& wide = table->Table[i];
    MIB_IFROW row{};
    NarrowRow(wide, row);
    std::memcpy(&rows[i].row, &row, sizeof row);
    rows[i].counters64 = {wide.InOctets, wide.OutOctets};
    rows[i].identity = GuidText(wide.InterfaceGuid);
  }
  return rows;
}

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
