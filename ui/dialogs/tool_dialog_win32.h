#pragma once

#include <windows.h>

#include <initializer_list>

#include "ui/dialogs/dialog_support_win32.h"

namespace pelliton {

// A small modal dialog in a tool-window frame (small caption bar, no caption buttons, no
// system menu, fixed size) that stays on top and builds its own controls. The handlers'
// activation runs once the dialog is up; every message reaches the derived dialog inside
// the one error handler.
class ToolDialog {
 public:
  explicit ToolDialog(int dpi) : dpi_(dpi) {}
  virtual ~ToolDialog() = default;
  ToolDialog(const ToolDialog&) = delete;
  ToolDialog& operator=(const ToolDialog&) = delete;

  // Shows the dialog modally over `owner` until it ends. Throws when the system cannot
  // create it.
  void ShowModal(HWND owner, const wchar_t* caption);

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
  // A WM_DRAWITEM or WM_NOTIFY-style result that the dialog manager must pass on.
  INT_PTR Result(LRESULT result);

  HWND dialog_ = nullptr;
  int dpi_;

 private:
  static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  bool ready_ = false;
};

}  // namespace pelliton
