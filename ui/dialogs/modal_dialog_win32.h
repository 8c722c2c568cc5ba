#pragma once

#include <windows.h>

#include <initializer_list>
#include <list>

#include "ui/dialogs/dialog_support_win32.h"
#include "ui/dpi_win32.h"

namespace pelliton {

// A dialog frame with a caption and nothing else (no caption buttons, no system menu, fixed
// size) that stays on top; with the tool-window extra, its caption bar is the small one.
inline constexpr DWORD kDialogStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_VISIBLE;
inline constexpr DWORD kDialogExStyle = WS_EX_TOPMOST;
inline constexpr DWORD kToolDialogExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;

// A font that a dialog made with ModalDialog::Font; it is made again, and its controls are
// given it, when the dialog's DPI changes.
class DialogFont {
 public:
  DialogFont() = default;
  HFONT Get() const { return font_ != nullptr ? font_->Get() : nullptr; }

 private:
  friend class ModalDialog;
  explicit DialogFont(const FontHandle& font) : font_(&font) {}
  const FontHandle* font_ = nullptr;
};

// A modal dialog that builds its own controls. The handlers' activation runs once the
// dialog is up; every message reaches the derived dialog inside the one error handler, and
// closing it any other way than by its buttons (WM_CLOSE: the close box, Alt+F4) ends it
// with the Cancel result. Moved to a monitor of another DPI (WM_DPICHANGED), it is laid out
// again at that DPI: its fonts made by Font and the controls made by CreateChild at their
// layout rectangles, in the window rectangle that the system suggests.
class ModalDialog {
 public:
  explicit ModalDialog(int dpi) : dpi_(dpi) {}
  virtual ~ModalDialog() = default;
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  // Shows the dialog modally over `owner` until it ends. Throws when the system cannot
  // create it.
  void ShowModal(HWND owner, const wchar_t* caption, DWORD exStyle, DWORD style = kDialogStyle);

 protected:
  // Creates the controls and places the dialog. An error ends the showing at once.
  virtual void OnInitDialog() = 0;
  // The handlers' FormActivate.
  virtual void OnActivate() {}
  // The window is being destroyed (WM_DESTROY), whether or not OnInitDialog went through.
  virtual void OnDestroy() {}
  // Any other message; FALSE leaves it to the dialog manager.
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // After the dialog was laid out again at a new DPI (dpi_): what it laid out beyond its
  // controls' rectangles and fonts (sizes that follow a text, its own fonts), it does again.
  virtual void OnDpiChanged() {}

  // A font whose characters are `pixelsAt96` high at 96 DPI, at the dialog's DPI, owned by
  // the dialog. Throws as CreateDialogFont.
  DialogFont Font(const wchar_t* face, int pixelsAt96,
                  DWORD pitchAndFamily = DEFAULT_PITCH | FF_DONTCARE);

  // Draws the bevel frames of the layout on WM_PAINT: `edge` is BDR_SUNKENOUTER for lowered
  // lines, BDR_RAISEDINNER for raised ones.
  void PaintBevels(std::initializer_list<LayoutRect> bevels, UINT edge = BDR_SUNKENOUTER);
  // The same inside a paint of the derived dialog's own, which draws more.
  void DrawBevels(HDC dc, std::initializer_list<LayoutRect> bevels, UINT edge) const;
  // Answers a WM_CTLCOLOR* message for a control in `text` on the system colour `background`.
  static INT_PTR ControlColours(HDC dc, COLORREF text, int background = COLOR_BTNFACE);
  // A message result that the dialog manager must pass on (WM_DRAWITEM and the like).
  INT_PTR Result(LRESULT result);

  HWND dialog_ = nullptr;
  int dpi_;

 private:
  static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void ChangeDpi(int dpi, const RECT* suggested);
  void ForgetLayouts() const;

  struct KeptFont {
    const wchar_t* face;
    int pixelsAt96;
    DWORD pitchAndFamily;
    FontHandle font;
  };
  std::list<KeptFont> fonts_;  // a DialogFont points into it
  bool ready_ = false;
};

}  // namespace pelliton
