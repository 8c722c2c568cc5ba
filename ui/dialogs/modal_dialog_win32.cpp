#include "ui/dialogs/modal_dialog_win32.h"

#include <stdexcept>
#include <vector>

#include "ui/dialogs/bit_button_win32.h"
#include "ui/error_handler_win32.h"

namespace pelliton {

namespace {

constexpr UINT kFormActivate = WM_APP + 1;

}  // namespace

void ModalDialog::ShowModal(HWND owner, const wchar_t* caption, DWORD exStyle, DWORD style) {
  const std::vector<DWORD> layout = EmptyDialogTemplate(style, exStyle, caption);
  const INT_PTR result = DialogBoxIndirectParamW(
      GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(layout.data()), owner,
      &ModalDialog::Proc, reinterpret_cast<LPARAM>(this));
  if (result == -1) throw std::runtime_error("Error creating window");
}

INT_PTR CALLBACK ModalDialog::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<ModalDialog*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    self->dialog_ = dialog;
    Guarded([&] {
      self->OnInitDialog();
      self->ready_ = true;
    });
    if (self->ready_) {
      PostMessageW(dialog, kFormActivate, 0, 0);
    } else {
      EndDialog(dialog, IDCANCEL);
    }
    return FALSE;  // the dialog has set its focus
  }
  auto* self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  if (self == nullptr) return FALSE;
  if (message == WM_DESTROY) {
    Guarded([&] { self->OnDestroy(); });
    return FALSE;
  }
  if (!self->ready_) return FALSE;  // a failed WM_INITDIALOG: ending
  return self->Dispatch(message, wParam, lParam);
}

INT_PTR ModalDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kFormActivate:
      Guarded([&] { OnActivate(); });
      return TRUE;
    case WM_CLOSE:  // closed some other way: no handler runs
      EndDialog(dialog_, IDCANCEL);
      return TRUE;
    case WM_DRAWITEM:
      if (DrawBitButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return Result(TRUE);
      break;
  }
  INT_PTR handled = FALSE;
  Guarded([&] { handled = OnMessage(message, wParam, lParam); });
  return handled;
}

void ModalDialog::PaintBevels(std::initializer_list<LayoutRect> bevels, UINT edge) {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(dialog_, &paint);
  DrawBevels(dc, bevels, edge);
  EndPaint(dialog_, &paint);
}

void ModalDialog::DrawBevels(HDC dc, std::initializer_list<LayoutRect> bevels, UINT edge) const {
  for (const LayoutRect& bevel : bevels) {
    RECT frame{Scaled(bevel.left, dpi_), Scaled(bevel.top, dpi_),
               Scaled(bevel.left + bevel.width, dpi_), Scaled(bevel.top + bevel.height, dpi_)};
    DrawEdge(dc, &frame, edge, BF_RECT);
  }
}

INT_PTR ModalDialog::ControlColours(HDC dc, COLORREF text, int background) {
  SetTextColor(dc, text);
  SetBkColor(dc, GetSysColor(background));
  return reinterpret_cast<INT_PTR>(GetSysColorBrush(background));
}

INT_PTR ModalDialog::Result(LRESULT result) {
  SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, result);
  return TRUE;
}

}  // namespace pelliton
