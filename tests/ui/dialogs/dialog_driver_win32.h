#pragma once

// Drives the connection dialog the way a user, or the end-to-end driver, does: the dialog
// found by class and caption, its controls by id, user actions as messages.

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ui/dialogs/dialog_support_win32.h"
#include "ui/ids.h"

// Kept apart: other Win32 tests link into the same program.
namespace pelliton::testing::connection_dialog {

inline constexpr wchar_t kCaption[] = L"Select Appropriate Connection";
using Step = std::function<bool()>;  // true when done, false to try again on the next tick

// Drives the modal dialog from a thread timer, on the dialog's own thread, the way the
// end-to-end driver does from outside: windows by class and caption, controls by id, and
// posted messages for anything that may open another modal window. One step per tick; on
// time-out every dialog of the thread is ended.
class DialogDriver {
 public:
  explicit DialogDriver(std::vector<Step> steps, ULONGLONG timeoutMs = 15000)
      : steps_(std::move(steps)), deadline_(GetTickCount64() + timeoutMs) {
    active_ = this;
    timer_ = SetTimer(nullptr, 0, 10, &DialogDriver::OnTimer);
  }
  ~DialogDriver() {
    KillTimer(nullptr, timer_);
    active_ = nullptr;
  }
  DialogDriver(const DialogDriver&) = delete;
  DialogDriver& operator=(const DialogDriver&) = delete;

  bool Finished() const { return next_ == steps_.size(); }
  bool TimedOut() const { return timedOut_; }
  std::size_t NextStep() const { return next_; }

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (active_ != nullptr) active_->Tick();
  }
  void Tick() {
    if (busy_ || timedOut_) return;
    busy_ = true;
    if (GetTickCount64() > deadline_) {
      timedOut_ = true;
      EnumThreadWindows(GetCurrentThreadId(), &EndIfDialog, 0);
    } else if (next_ < steps_.size() && steps_[next_]()) {
      ++next_;
    }
    busy_ = false;
  }
  static BOOL CALLBACK EndIfDialog(HWND window, LPARAM) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"#32770") EndDialog(window, IDABORT);
    return TRUE;
  }

  static inline DialogDriver* active_ = nullptr;
  std::vector<Step> steps_;
  std::size_t next_ = 0;
  ULONGLONG deadline_;
  UINT_PTR timer_ = 0;
  bool busy_ = false;
  bool timedOut_ = false;
};

inline HWND FindDialog() {
  return FindWindowW(L"#32770", kCaption);
}
inline HWND Item(int id) {
  return GetDlgItem(FindDialog(), id);
}

inline std::wstring TextOf(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

inline std::vector<std::wstring> ListLines() {
  HWND list = Item(IDC_CONN_LISTBOX1);
  std::vector<std::wstring> lines;
  const auto count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    std::wstring line(
        static_cast<std::size_t>(SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)),
        L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
    lines.push_back(line);
  }
  return lines;
}

inline int Selected() {
  return static_cast<int>(SendMessageW(Item(IDC_CONN_LISTBOX1), LB_GETCURSEL, 0, 0));
}

// A user's selection: the list's own notification follows the new selection.
inline void UserSelects(int line) {
  SendMessageW(Item(IDC_CONN_LISTBOX1), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
  SendMessageW(FindDialog(), WM_COMMAND, MAKEWPARAM(IDC_CONN_LISTBOX1, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(Item(IDC_CONN_LISTBOX1)));
}

inline void Click(int id) {
  PostMessageW(Item(id), BM_CLICK, 0, 0);
}

inline void ClickLabel1() {
  PostMessageW(Item(IDC_CONN_LABEL1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(Item(IDC_CONN_LABEL1), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

inline void PressKey(HWND target, WPARAM key) {
  PostMessageW(target, WM_KEYDOWN, key, 1);
  PostMessageW(target, WM_KEYUP, key, 0xC0000001);
}

using Corners = std::array<LONG, 4>;  // left, top, right, bottom

inline Corners RectIn(HWND parent, HWND child) {
  RECT rect{};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return {rect.left, rect.top, rect.right, rect.bottom};
}

inline Corners ScaledRect(LayoutRect at96, int dpi) {
  return Corners{Scaled(at96.left, dpi), Scaled(at96.top, dpi),
                 Scaled(at96.left, dpi) + Scaled(at96.width, dpi),
                 Scaled(at96.top, dpi) + Scaled(at96.height, dpi)};
}

inline LOGFONTW FontOf(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font;
}

// The text colour the dialog gives a control through WM_CTLCOLOR*.
inline COLORREF TextColourOf(HWND control, UINT message) {
  HDC dc = CreateCompatibleDC(nullptr);
  SendMessageW(FindDialog(), message, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(control));
  const COLORREF colour = GetTextColor(dc);
  DeleteDC(dc);
  return colour;
}

struct Pixels {
  int green = 0;  // the check mark
  int red = 0;    // the cross
  int dark = 0;   // the caption
};

// Paints a button into a bitmap of its own and counts the pixels by kind.
inline Pixels PaintedPixels(HWND button) {
  RECT client{};
  GetClientRect(button, &client);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = client.right;
  info.bmiHeader.biHeight = -client.bottom;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(button, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  GdiFlush();

  Pixels pixels;
  const auto* bgra = static_cast<const std::uint8_t*>(bits);
  for (int i = 0; i < client.right * client.bottom; ++i) {
    const int b = bgra[4 * i], g = bgra[4 * i + 1], r = bgra[4 * i + 2];
    if (g > 120 && r < 80 && b < 80) ++pixels.green;
    if (r > 150 && g < 60 && b < 60) ++pixels.red;
    if (r < 110 && g < 110 && b < 110) ++pixels.dark;
  }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return pixels;
}

inline BOOL CALLBACK CountWindow(HWND window, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  EnumChildWindows(window, &CountWindow, count);
  return TRUE;
}

inline int ThreadWindowCount() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&count));
  return count;
}

// GDI objects in use, where GetGuiResources is a stub (Wine). Wine hands out freed handle
// slots last-in first-out before any never-used one, so the number of brushes that can be
// made before a slot above the highest one seen turns up is the number of free slots.
class GdiSlots {
 public:
  GdiSlots() {
    std::vector<HBRUSH> brushes;
    for (int i = 0; i < 8192; ++i)
      brushes.push_back(CreateSolidBrush(RGB(1, 2, 3)));
    for (HBRUSH brush : brushes) {
      top_ = std::max(top_, Slot(brush));
      DeleteObject(brush);
    }
  }
  unsigned InUse() {
    std::vector<HBRUSH> brushes;
    const unsigned top = top_;
    for (;;) {
      HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
      if (brush == nullptr) break;
      brushes.push_back(brush);
      if (Slot(brush) > top) {
        top_ = Slot(brush);
        break;
      }
    }
    for (HBRUSH brush : brushes)
      DeleteObject(brush);
    return top + 2 - static_cast<unsigned>(brushes.size());
  }

 private:
  static unsigned Slot(HBRUSH brush) {
    return static_cast<unsigned>(reinterpret_cast<UINT_PTR>(brush) & 0xFFFF);
  }
  unsigned top_ = 0;
};

}  // namespace pelliton::testing::connection_dialog
