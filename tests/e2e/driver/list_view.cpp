// A list view of another process: its lines' texts and check boxes, read through memory of
// that process (a list view's messages carry pointers that the system does not copy over).

#include <windows.h>

#include <commctrl.h>

#include "driver.h"
#include "json.h"

namespace driver {

namespace {

// A block of the list's process, freed with the object.
class Remote {
 public:
  explicit Remote(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process_) Fail("cannot open the list's process");
    block_ = VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE);
    if (!block_) {
      CloseHandle(process_);
      Fail("no memory in the list's process");
    }
  }
  ~Remote() {
    VirtualFreeEx(process_, block_, 0, MEM_RELEASE);
    CloseHandle(process_);
  }
  Remote(const Remote&) = delete;
  Remote& operator=(const Remote&) = delete;

  static constexpr SIZE_T kSize = 4096;
  char* At(SIZE_T offset) const { return static_cast<char*>(block_) + offset; }
  void Put(const void* data, SIZE_T size) const {
    if (!WriteProcessMemory(process_, block_, data, size, nullptr)) Fail("cannot write");
  }
  void Get(SIZE_T offset, void* data, SIZE_T size) const {
    if (!ReadProcessMemory(process_, At(offset), data, size, nullptr)) Fail("cannot read");
  }

 private:
  HANDLE process_ = nullptr;
  void* block_ = nullptr;
};

std::string Cell(HWND list, const Remote& remote, int index, int column) {
  constexpr int kChars = 256;
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<wchar_t*>(remote.At(sizeof item));
  item.cchTextMax = kChars;
  remote.Put(&item, sizeof item);
  const auto length = Send(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(index),
                           reinterpret_cast<LPARAM>(remote.At(0)));
  std::wstring text(kChars, L'\0');
  remote.Get(sizeof item, text.data(), kChars * sizeof(wchar_t));
  text.resize(static_cast<size_t>(length < 0 ? 0 : length));
  return Quote(text);
}

// A part of a line (LVIR_BOUNDS, LVIR_LABEL) in screen pixels.
RECT ItemRect(HWND list, const Remote& remote, int index, LONG part) {
  RECT rect{part, 0, 0, 0};
  remote.Put(&rect, sizeof rect);
  Send(list, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(remote.At(0)));
  remote.Get(0, &rect, sizeof rect);
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace

// Every line: its columns' texts, whether its box is checked, whether it is selected, its
// rectangle and the middle of its check box on the screen; and OK's state.
std::string ListViewReport(HWND dialog, HWND list) {
  const Remote remote(list);
  const int columns = static_cast<int>(
      Send(reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0)), HDM_GETITEMCOUNT, 0, 0));
  const auto count = static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
  std::vector<std::string> lines;
  for (int index = 0; index < count; ++index) {
    std::vector<std::string> cells;
    for (int column = 0; column < columns; ++column)
      cells.push_back(Cell(list, remote, index, column));
    const auto state = static_cast<UINT>(Send(list, LVM_GETITEMSTATE, static_cast<WPARAM>(index),
                                              LVIS_STATEIMAGEMASK | LVIS_SELECTED));
    const RECT bounds = ItemRect(list, remote, index, LVIR_BOUNDS);
    const RECT label = ItemRect(list, remote, index, LVIR_LABEL);
    lines.push_back(
        Object()
            .Add("cells", Array(cells))
            .Add("checked", Bool((state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2)))
            .Add("selected", Bool(state & LVIS_SELECTED))
            .Add("rect", Rect(bounds))
            .Add("box_x", Num((bounds.left + label.left) / 2))
            .Add("box_y", Num((bounds.top + bounds.bottom) / 2))
            .Str());
  }
  HWND ok = GetDlgItem(dialog, IDOK);
  return Object()
      .Add("ok", "true")
      .Add("lines", Array(lines))
      .Add("ok_enabled", Bool(ok && IsWindowEnabled(ok)))
      .Str();
}

}  // namespace driver
