// The mouse on the meter: the drag cursor, Label1's hint and Label1's buttons.
#include "ui/meter/meter_window_win32.h"

#include <commctrl.h>
#include <windowsx.h>

#include <cstddef>
#include <cstring>
#include <iterator>
#include <optional>

#include "ui/common_controls_win32.h"
#include "ui/error_handler_win32.h"
#include "ui/subclass_win32.h"

namespace pelliton {

namespace {

constexpr const wchar_t* kLabel1Hint =
    L"Press right mouse button for Options or Left mouse button to drag";

// An arrow with a small box under it: 'X' black, 'o' white, anything else transparent.
// clang-format off
constexpr const char* kDragCursor[] = {
    "X",
    "XX",
    "XoX",
    "XooX",
    "XoooX",
    "XooooX",
    "XoooooX",
    "XooooooX",
    "XoooooooX",
    "XooooooooX",
    "XoooooXXXXX",
    "XooXooX",
    "XoX XooX",
    "XX  XooX",
    "X    XooX",
    "     XooX",
    "      XX",
    "",
    "   XXXXXXXXXXX",
    "   XoooooooooX",
    "   XoooooooooX",
    "   XoooooooooX",
    "   XoooooooooX",
    "   XoooooooooX",
    "   XXXXXXXXXXX",
};
// clang-format on
constexpr int kCursorSize = 32;

struct MouseEvent {
  enum Kind { Down, Move, Up } kind;
  MouseButton button;
};

std::optional<MouseEvent> ClassifyMouse(UINT message) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      return MouseEvent{MouseEvent::Down, MouseButton::Left};
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
      return MouseEvent{MouseEvent::Down, MouseButton::Right};
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
      return MouseEvent{MouseEvent::Down, MouseButton::Middle};
    case WM_MOUSEMOVE:
      return MouseEvent{MouseEvent::Move, MouseButton::Left};
    case WM_LBUTTONUP:
      return MouseEvent{MouseEvent::Up, MouseButton::Left};
    case WM_RBUTTONUP:
      return MouseEvent{MouseEvent::Up, MouseButton::Right};
    case WM_MBUTTONUP:
      return MouseEvent{MouseEvent::Up, MouseButton::Middle};
    default:
      return std::nullopt;
  }
}

}  // namespace

void Win32MeterWindow::CreateDragCursor() {
  constexpr std::size_t kRowBytes = kCursorSize / 8;
  BYTE andMask[kCursorSize * kRowBytes];
  BYTE xorMask[kCursorSize * kRowBytes] = {};
  std::memset(andMask, 0xFF, sizeof andMask);
  for (std::size_t row = 0; row < std::size(kDragCursor); ++row) {
    const char* line = kDragCursor[row];
    for (std::size_t column = 0; line[column] != '\0'; ++column) {
      if (line[column] != 'X' && line[column] != 'o') continue;
      const std::size_t byte = row * kRowBytes + column / 8;
      const auto bit = static_cast<BYTE>(0x80u >> (column % 8));
      andMask[byte] = static_cast<BYTE>(andMask[byte] & ~bit);
      if (line[column] == 'o') xorMask[byte] = static_cast<BYTE>(xorMask[byte] | bit);
    }
  }
  dragCursor_ =
      CreateCursor(GetModuleHandleW(nullptr), 0, 0, kCursorSize, kCursorSize, andMask, xorMask);
}

// The labels ask their parent first, so the window sets the cursor for all of them.
bool Win32MeterWindow::OnSetCursor(LPARAM lParam) const {
  if (LOWORD(lParam) != HTCLIENT || dragCursor_ == nullptr) return false;
  SetCursor(dragCursor_);
  return true;
}

// The hint is the meter's one common control: the common controls are loaded for it when
// the mouse first moves over Label1, not at start. Added after Label1's own subclass, so the
// hint's relay sees every mouse message first. The hint belongs to the application window:
// owned by the meter, it would keep Wine from putting the meter into the topmost band.
void Win32MeterWindow::CreateHint() {
  hintTried_ = true;
  if (!LoadCommonControls()) return;  // a missing hint is no reason to fail
  hint_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                          WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, GetWindow(window_, GW_OWNER), nullptr,
                          GetModuleHandleW(nullptr), nullptr);
  if (hint_ == nullptr) return;
  TTTOOLINFOW tool{};
  // The size common controls 5 also accept.
  tool.cbSize = static_cast<UINT>(offsetof(TTTOOLINFOW, lParam) + sizeof tool.lParam);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = window_;
  tool.uId = reinterpret_cast<UINT_PTR>(labels_[0]);
  tool.lpszText = const_cast<wchar_t*>(kLabel1Hint);
  SendMessageW(hint_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

// A button press or the menu puts the hint away for good: the hint is destroyed and made
// afresh on the next move over Label1. Hiding it would not do: the delay that a move over
// Label1 starts runs on in the hint, which then shows, topmost, over the menu opened
// meanwhile, and takes the keys meant for it.
void Win32MeterWindow::PutHintAway() {
  if (hint_ != nullptr && IsWindow(hint_)) DestroyWindow(hint_);
  hint_ = nullptr;
  hintTried_ = false;
}

// Label1's box reaches 2 pixels beyond Label1's own rectangle, into the window: a mouse
// message there goes to Label1 as if it had come to it, with its hint, drag and menu.
bool Win32MeterWindow::ForwardToLabel1(UINT message, WPARAM wParam, LPARAM lParam) {
  POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (!PtInRect(&hitBoxes_[0], point) || !Shown(labels_[0])) return false;
  MapWindowPoints(window_, labels_[0], &point, 1);
  SendMessageW(labels_[0], message, wParam, MAKELPARAM(point.x, point.y));
  return true;
}

LRESULT CALLBACK Win32MeterWindow::Label1Proc(HWND label, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  auto* self = reinterpret_cast<Win32MeterWindow*>(GetWindowLongPtrW(label, GWLP_USERDATA));
  if (self == nullptr || message == WM_NCDESTROY) {
    return CallPrevious(label, kLabel1Subclass, message, wParam, lParam);
  }
  LRESULT result = 0;
  Guarded([&] { result = self->OnLabel1Message(message, wParam, lParam); });
  return result;
}

// The buttons are handled here and not passed on: the default handling of a right-button
// release would send WM_CONTEXTMENU to the window and open the menu a second time.
LRESULT Win32MeterWindow::OnLabel1Message(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CONTEXTMENU) return 0;
  const std::optional<MouseEvent> mouse = ClassifyMouse(message);
  if (!mouse) return CallPrevious(labels_[0], kLabel1Subclass, message, wParam, lParam);

  const std::int32_t x = GET_X_LPARAM(lParam);
  const std::int32_t y = GET_Y_LPARAM(lParam);
  const MouseButton button = mouse->button;
  switch (mouse->kind) {
    case MouseEvent::Down:
      PutHintAway();
      // Captured, the label keeps getting the moves when the mouse outruns the window.
      if (button == MouseButton::Left) SetCapture(labels_[0]);
      Notify([=](MeterEvents& events) { events.Label1MouseDown(button, x, y); });
      break;
    case MouseEvent::Move: {
      if (!hintTried_) {
        CreateHint();
        MSG relayed{labels_[0], message, wParam, lParam, 0, {}};
        if (hint_ != nullptr)
          SendMessageW(hint_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
      }
      const bool leftHeld = (wParam & MK_LBUTTON) != 0;
      Notify([=](MeterEvents& events) { events.Label1MouseMove(leftHeld, x, y); });
      break;
    }
    case MouseEvent::Up:
      if (button == MouseButton::Left && GetCapture() == labels_[0]) ReleaseCapture();
      Notify([=](MeterEvents& events) { events.Label1MouseUp(button, x, y); });
      break;
  }
  return 0;
}

}  // namespace pelliton
