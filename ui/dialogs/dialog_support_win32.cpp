#include "ui/dialogs/dialog_support_win32.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <utility>

#include "ui/ansi_text_win32.h"
#include "ui/dpi_win32.h"

namespace pelliton {

namespace {

// A control's layout rectangle at 96 DPI, two 15-bit halves in each of two properties (a
// layout is never negative nor that large), with a mark so that a kept 0 is never null.
constexpr wchar_t kPlaceProperty[] = L"PellitonLayoutPlace";
constexpr wchar_t kSizeProperty[] = L"PellitonLayoutSize";
constexpr std::uintptr_t kHalf = 0x7FFF;
constexpr std::uintptr_t kKept = std::uintptr_t{1} << 30;

HANDLE Packed(int low, int high) {
  const auto half = [](int value) { return static_cast<std::uintptr_t>(value) & kHalf; };
  return reinterpret_cast<HANDLE>(half(low) | half(high) << 15 | kKept);
}

std::pair<int, int> Unpacked(HANDLE packed) {
  const auto bits = reinterpret_cast<std::uintptr_t>(packed);
  return {static_cast<int>(bits & kHalf), static_cast<int>(bits >> 15 & kHalf)};
}

}  // namespace

int ScreenDpi() {
  return SystemDpi();
}

std::vector<DWORD> EmptyDialogTemplate(DWORD style, DWORD exStyle, std::wstring_view caption) {
  // DLGTEMPLATE, then the menu and class words (0: none, standard class) and the caption.
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  DLGTEMPLATE header{};
  header.style = style;
  header.dwExtendedStyle = exStyle;
  std::memcpy(words.data(), &header, sizeof header);
  words.push_back(0);
  words.push_back(0);
  words.insert(words.end(), caption.begin(), caption.end());
  words.push_back(0);

  std::vector<DWORD> aligned((words.size() + 1) / 2, 0);
  std::memcpy(aligned.data(), words.data(), words.size() * sizeof(WORD));
  return aligned;
}

void PlaceCentred(HWND dialog, HWND over, int clientWidth, int clientHeight, HWND screenOf) {
  RECT frame{0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;

  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  HWND on = over != nullptr ? over : (screenOf != nullptr ? screenOf : dialog);
  GetMonitorInfoW(MonitorFromWindow(on, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT work = monitor.rcWork;
  RECT centre = work;
  if (over != nullptr) GetWindowRect(over, &centre);

  int left = centre.left + (centre.right - centre.left - width) / 2;
  int top = centre.top + (centre.bottom - centre.top - height) / 2;
  left =
      std::max(static_cast<int>(work.left), std::min(left, static_cast<int>(work.right) - width));
  top = std::max(static_cast<int>(work.top), std::min(top, static_cast<int>(work.bottom) - height));
  SetWindowPos(dialog, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

HWND CreateChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style,
                 DWORD exStyle, int id, LayoutRect at96, int dpi, HFONT font) {
  HWND child = CreateWindowExW(
      exStyle, windowClass, text, WS_CHILD | WS_VISIBLE | style, Scaled(at96.left, dpi),
      Scaled(at96.top, dpi), Scaled(at96.width, dpi), Scaled(at96.height, dpi), parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (child == nullptr) throw std::runtime_error("Error creating window");
  SetPropW(child, kPlaceProperty, Packed(at96.left, at96.top));
  SetPropW(child, kSizeProperty, Packed(at96.width, at96.height));
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

std::optional<LayoutRect> KeptLayout(HWND control) {
  HANDLE place = GetPropW(control, kPlaceProperty);
  HANDLE size = GetPropW(control, kSizeProperty);
  if (place == nullptr || size == nullptr) return std::nullopt;
  const auto [left, top] = Unpacked(place);
  const auto [width, height] = Unpacked(size);
  return LayoutRect{left, top, width, height};
}

void ForgetLayout(HWND control) {
  RemovePropW(control, kPlaceProperty);
  RemovePropW(control, kSizeProperty);
}

void FitLabelToText(HWND label, HFONT font) {
  const int length = GetWindowTextLengthW(label);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(label, text.data(), length + 1);
  HDC dc = GetDC(label);
  if (dc == nullptr) return;
  HGDIOBJ old = SelectObject(dc, font);
  SIZE extent{};
  GetTextExtentPoint32W(dc, text.c_str(), length, &extent);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  RECT rect{};
  GetClientRect(label, &rect);
  if (extent.cx > rect.right || extent.cy > rect.bottom) {
    SetWindowPos(label, nullptr, 0, 0, std::max(extent.cx, rect.right),
                 std::max(extent.cy, rect.bottom), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

FontHandle& FontHandle::operator=(FontHandle&& other) noexcept {
  if (this != &other) {
    Reset();
    font_ = other.font_;
    other.font_ = nullptr;
  }
  return *this;
}

void FontHandle::Reset() {
  if (font_ != nullptr) DeleteObject(font_);
  font_ = nullptr;
}

FontHandle CreateDialogFont(const wchar_t* face, int pixelsAt96, int dpi, DWORD pitchAndFamily) {
  HFONT font = CreateFontW(-Scaled(pixelsAt96, dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                           DEFAULT_QUALITY, pitchAndFamily, face);
  if (font == nullptr) throw std::runtime_error("Out of system resources");
  return FontHandle(font);
}

std::string ItemText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return NarrowAnsi(text);
}

void SetItemText(HWND dialog, int id, std::string_view text) {
  SetDlgItemTextW(dialog, id, WidenAnsi(text).c_str());
}

}  // namespace pelliton
