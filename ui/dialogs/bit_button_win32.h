#pragma once

#include <windows.h>

#include "ui/dialogs/dialog_support_win32.h"

namespace pelliton {

enum class ButtonGlyph { Ok, Cancel, Close };

// A push button with a glyph left of its caption (a green check mark for OK, a red cross for
// Cancel, a door with an arrow leaving it for Close), drawn by its owner. It answers the dialog
// manager like a plain push button, so the dialog's default-button rules hold: the focused button
// is the default one, Enter presses the default button, and the dialog's own default comes back
// when the focus leaves the buttons. The dialog passes its WM_DRAWITEM to DrawBitButton.
HWND CreateBitButton(HWND dialog, int id, const wchar_t* caption, ButtonGlyph glyph,
                     LayoutRect at96, int dpi, HFONT font, DWORD style);

// Draws a button made by CreateBitButton at `dpi` from now on; any other window is left alone.
void SetBitButtonDpi(HWND button, int dpi);

// Paints a button made by CreateBitButton; false for any other item.
bool DrawBitButton(const DRAWITEMSTRUCT& item);

}  // namespace pelliton
