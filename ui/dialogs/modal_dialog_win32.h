#pragma once

#include <windows.h>

#include <initializer_list>

#include "ui/dialogs/dialog_support_win32.h"

namespace pelliton {

// A dialog frame with a caption and nothing else (no caption buttons, no system menu, fixed
// size) that stays on top; with the tool-window extra, its caption bar is the small one.
inline constexpr DWORD kDialogStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_VISIBLE;
inline constexpr DWORD kDialogExStyle = WS_EX_TOPMOST;
inline constexpr DWORD kToolDialogExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;

// A modal dialog that builds its own controls. The handlers' activation runs once the
// dialog is up; every message reaches the derived dialog inside the one error handler, and
// closing it any other way than by its buttons ends it with the Cancel result.
class ModalDialog {
 public:
  explicit ModalDialog(int dpi) : dpi_(dpi) {}
  virtual ~ModalDialog() = default;
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  // Shows the dialog modally over `owner` until it ends. Throws when the system cannot
  // create it.
  void ShowModal(HWND owner, const wchar_t* caption, DWORD exStyle);

 protected:
  // Creates the controls and places the dialog. An error ends the showing at once.
  virtual void OnInitDialog() = 0;
  // The handlers' FormActivate.
  virtual void OnActivate() = 0;
  // Any other message; FALSE leaves it to the dialog manager.
  virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;

  // Draws the bevel frames of the layout (sunken lines) on WM_PAINT.
  void PaintBevels(std::initializer_list<LayoutRect> bevels);
  // Answers WM_CTLCOLORSTATIC for a label in `colour` on the face colour.
  static INT_PTR ColourLabel(HDC dc, COLORREF colour);
  // A message result that the dialog manager must pass on (WM_DRAWITEM and the like).
  INT_PTR Result(LRESULT result);

  HWND dialog_ = nullptr;
  int dpi_;

 private:
  static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  bool ready_ = false;
};

}  // namespace pelliton
