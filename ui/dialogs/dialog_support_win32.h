#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/dpi_layout.h"

namespace pelliton {

// Dots per inch of the screen. Layouts are drawn at 96 and scaled by this.
int ScreenDpi();

// An in-memory dialog template without controls (the dialog creates its own), at position
// and size 0: the dialog places itself. DWORD-aligned, as DialogBoxIndirectParam wants it.
std::vector<DWORD> EmptyDialogTemplate(DWORD style, DWORD exStyle, std::wstring_view caption);

// Gives `dialog` a client area of the given pixels and centres it over `over` (or, without
// one, over the work area of the monitor that `screenOf` is on, or that the dialog is on),
// kept inside the work area of that monitor (the nearest one to a window on none), so the
// caption stays reachable.
void PlaceCentred(HWND dialog, HWND over, int clientWidth, int clientHeight,
                  HWND screenOf = nullptr);

// A child control at a layout rectangle scaled to `dpi`, with `font`. Throws when the
// system refuses to create it. The control keeps its rectangle at 96 DPI, to be placed again
// at another DPI.
HWND CreateChild(HWND parent, const wchar_t* windowClass, const wchar_t* text, DWORD style,
                 DWORD exStyle, int id, LayoutRect at96, int dpi, HFONT font);
// The rectangle at 96 DPI that a control made by CreateChild keeps; none for any other window.
std::optional<LayoutRect> KeptLayout(HWND control);
// Lets the control forget it, before it is destroyed.
void ForgetLayout(HWND control);

// Widens or heightens a label to its text in `font` where a stand-in font needs the room,
// rather than cutting the text; it never shrinks.
void FitLabelToText(HWND label, HFONT font);

// The text of a dialog's control in the system code page, and setting it.
std::string ItemText(HWND dialog, int id);
void SetItemText(HWND dialog, int id, std::string_view text);

// An owned font handle, deleted with the object.
class FontHandle {
 public:
  FontHandle() = default;
  explicit FontHandle(HFONT font) : font_(font) {}
  ~FontHandle() { Reset(); }
  FontHandle(const FontHandle&) = delete;
  FontHandle& operator=(const FontHandle&) = delete;
  FontHandle(FontHandle&& other) noexcept : font_(other.font_) { other.font_ = nullptr; }
  FontHandle& operator=(FontHandle&& other) noexcept;

  HFONT Get() const { return font_; }
  void Reset();

 private:
  HFONT font_ = nullptr;
};

// A font whose characters are `pixelsAt96` high at 96 DPI (the cell minus its internal
// leading), scaled to `dpi`. `pitchAndFamily` tells what kind of face stands in where the
// system lacks `face`. Throws when the system has no font to give.
FontHandle CreateDialogFont(const wchar_t* face, int pixelsAt96, int dpi,
                            DWORD pitchAndFamily = DEFAULT_PITCH | FF_DONTCARE);

}  // namespace pelliton
