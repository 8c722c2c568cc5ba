// Hook that the driver plants in the program's user-interface thread to count the program's
// own GDI and USER objects from inside, since Wine's GetGuiResources answers 0. The driver
// sends the registered message below to the meter window, with its own window in wParam; the
// hook answers with a WM_COPYDATA holding a JSON object:
//
//   gdi        live GDI objects, stock objects left out (from the process's GDI handle table)
//   gdi_high   one past the highest table slot in use: grows only when the table grows
//   gdi_kinds  the live objects by kind
//   windows    the process's windows: top-level, their children and message-only ones
//   menus      menus, and icons and cursors, found by trying every USER handle slot
//   icons
//
// The handle layouts are Wine's (the GDI table the PEB points at, with 24-byte entries, and
// USER handles made of a 16-bit slot index); the figures mean nothing on Windows.

#include <windows.h>
#include <winternl.h>

#include <cstdint>
#include <string>

#include "json.h"

namespace {

// Wine's GDI_HANDLE_ENTRY.
struct GdiEntry {
  std::uint64_t object;
  std::uint32_t owner;
  std::uint8_t extType;  // low 7 bits: the kind; top bit: a stock object
  std::uint8_t generation;
  std::uint8_t type;  // 0: a free slot
  std::uint8_t flags;
  std::uint64_t userPointer;
};
static_assert(sizeof(GdiEntry) == 24);

constexpr size_t kGdiSlots = 0x10000;
constexpr size_t kPebGdiTable = 0xF8;  // PEB.GdiSharedHandleTable on x86-64
constexpr unsigned kUserFirst = 0x20, kUserSlots = 32760;

extern "C" __declspec(dllimport) PPEB NTAPI RtlGetCurrentPeb();  // ntdll

const GdiEntry* GdiTable() {
  const auto* peb = reinterpret_cast<const std::uint8_t*>(RtlGetCurrentPeb());
  return *reinterpret_cast<const GdiEntry* const*>(peb + kPebGdiTable);
}

std::string GdiFigures() {
  const GdiEntry* table = GdiTable();
  if (table == nullptr) return "\"gdi\":-1,\"gdi_high\":-1";
  struct Kind {
    const char* name;
    std::uint8_t extType;
    long long count;
  } kinds[] = {{"dc", 0x01, 0},    {"region", 0x04, 0}, {"bitmap", 0x05, 0}, {"font", 0x0A, 0},
               {"brush", 0x10, 0}, {"pen", 0x30, 0},    {"other", 0, 0}};
  long long live = 0, high = 0;
  for (size_t i = 0; i < kGdiSlots; ++i) {
    const GdiEntry& entry = table[i];
    if (entry.type == 0) continue;
    high = static_cast<long long>(i) + 1;
    if (entry.extType & 0x80) continue;  // stock
    ++live;
    Kind* kind = kinds;
    while (kind->extType != 0 && kind->extType != (entry.extType & 0x7F))
      ++kind;
    ++kind->count;
  }
  driver::Object byKind;
  for (const Kind& kind : kinds)
    byKind.Add(kind.name, driver::Num(kind.count));
  return "\"gdi\":" + driver::Num(live) + ",\"gdi_high\":" + driver::Num(high) +
         ",\"gdi_kinds\":" + byKind.Str();
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<long long*>(count);
  return TRUE;
}

BOOL CALLBACK CountOwn(HWND hwnd, LPARAM count) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != GetCurrentProcessId()) return TRUE;
  CountChild(hwnd, count);
  EnumChildWindows(hwnd, CountChild, count);
  return TRUE;
}

long long Windows() {
  long long count = 0;
  EnumWindows(CountOwn, reinterpret_cast<LPARAM>(&count));
  for (HWND hwnd = nullptr; (hwnd = FindWindowExW(HWND_MESSAGE, hwnd, nullptr, nullptr));)
    CountOwn(hwnd, reinterpret_cast<LPARAM>(&count));
  return count;
}

// After the GDI count: GetIconInfo hands out copies of an icon's bitmaps.
std::string UserFigures() {
  long long menus = 0, icons = 0;
  for (unsigned slot = 0; slot < kUserSlots; ++slot) {
    const auto handle = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(kUserFirst + 2 * slot));
    if (IsMenu(static_cast<HMENU>(handle))) ++menus;
    ICONINFO info{};
    if (!GetIconInfo(static_cast<HICON>(handle), &info)) continue;
    ++icons;
    if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  }
  return "\"windows\":" + driver::Num(Windows()) + ",\"menus\":" + driver::Num(menus) +
         ",\"icons\":" + driver::Num(icons);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    ResourceProbeHook(int code, WPARAM wParam, LPARAM lParam) {
  static const UINT probe = RegisterWindowMessageW(L"PellitonDriverResourceProbe");
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->message == probe) {
    std::string json = "{\"pid\":" + driver::Num(GetCurrentProcessId()) + "," + GdiFigures() + "," +
                       UserFigures() + "}";
    COPYDATASTRUCT data{2, static_cast<DWORD>(json.size()), json.data()};
    SendMessageW(reinterpret_cast<HWND>(call->wParam), WM_COPYDATA, 0,
                 reinterpret_cast<LPARAM>(&data));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
