#include "ui/dialogs/list_dialog_win32.h"

#include "ui/dialogs/bit_button_win32.h"
#include "ui/error_handler_win32.h"

namespace pelliton {

namespace {

constexpr wchar_t kFontFace[] = L"MS Sans Serif";
constexpr int kFormFontHeight = 11;
constexpr COLORREF kLabel1Color = RGB(0, 0, 255);

}  // namespace

void ListDialog::CreateControls(const Layout& layout) {
  formFont_ = Font(kFontFace, kFormFontHeight);
  label1Font_ = Font(kFontFace, layout.label1FontHeight);
  listFont_ = Font(kFontFace, layout.listFontHeight);
  lineHeight_ = layout.lineHeight;

  // Creation order is the tab order.
  label1_ =
      CreateChild(dialog_, L"STATIC", layout.label1Text, SS_LEFTNOWORDWRAP | SS_NOTIFY | WS_GROUP,
                  0, layout.label1Id, layout.label1, dpi_, label1Font_.Get());
  FitLabelToText(label1_, label1Font_.Get());
  bitBtn1_ = CreateBitButton(dialog_, IDOK, L"OK", ButtonGlyph::Ok, layout.bitBtn1, dpi_,
                             formFont_.Get(), WS_TABSTOP | WS_GROUP);
  bitBtn2_ = CreateBitButton(dialog_, IDCANCEL, L"Cancel", ButtonGlyph::Cancel, layout.bitBtn2,
                             dpi_, formFont_.Get(), WS_TABSTOP);
  listBox1_ =
      CreateChild(dialog_, L"LISTBOX", nullptr,
                  WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | layout.listStyle,
                  WS_EX_CLIENTEDGE, layout.listBox1Id, layout.listBox1, dpi_, listFont_.Get());
  // After the font, which would set the line height of its own.
  SendMessageW(listBox1_, LB_SETITEMHEIGHT, 0, Scaled(lineHeight_, dpi_));

  SendMessageW(dialog_, DM_SETDEFID, IDOK, 0);
  SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(bitBtn2_), TRUE);
}

void ListDialog::OnDpiChanged() {
  FitLabelToText(label1_, label1Font_.Get());
  SendMessageW(listBox1_, LB_SETITEMHEIGHT, 0, Scaled(lineHeight_, dpi_));
}

INT_PTR ListDialog::OnListMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) != label1_) return FALSE;
      return ControlColours(reinterpret_cast<HDC>(wParam), kLabel1Color);
  }
  return FALSE;
}

void ListDialog::OnCommand(int id, int code) {
  if (id == IDOK) {
    if (!IsWindowEnabled(bitBtn1_)) return;
    Guarded([&] { BitBtn1Click(); });
    EndDialog(dialog_, IDOK);
  } else if (id == IDCANCEL) {
    Guarded([&] { BitBtn2Click(); });
    EndDialog(dialog_, IDCANCEL);
  } else if (id == GetDlgCtrlID(listBox1_) && code == LBN_SELCHANGE) {
    Guarded([&] { ListBox1Click(); });
  } else if (id == GetDlgCtrlID(label1_) && code == STN_CLICKED) {
    Guarded([&] { BitBtn1Click(); });  // the dialog stays open
  }
}

}  // namespace pelliton
