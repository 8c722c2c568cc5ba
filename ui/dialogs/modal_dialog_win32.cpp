#include "ui/dialogs/modal_dialog_win32.h"

#include <optional>
#include <stdexcept>
#include <utility>
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
    KeepDialogLayoutOwn(dialog);
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
    self->ForgetLayouts();
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
    case WM_DPICHANGED:
      if (const std::optional<int> dpi = ChangedDpi(wParam))
        Guarded([&] { ChangeDpi(*dpi, reinterpret_cast<const RECT*>(lParam)); });
      return Result(0);
  }
  INT_PTR handled = FALSE;
  Guarded([&] { handled = OnMessage(message, wParam, lParam); });
  return handled;
}

DialogFont ModalDialog::Font(const wchar_t* face, int pixelsAt96, DWORD pitchAndFamily) {
  FontHandle font = CreateDialogFont(face, pixelsAt96, dpi_, pitchAndFamily);
  return DialogFont(
      fonts_.emplace_back(KeptFont{face, pixelsAt96, pitchAndFamily, std::move(font)}).font);
}

// The new fonts are made first: where one fails, the dialog stays as it was. A window
// rectangle without a size (none given, or an absurd one) leaves the window as it is.
void ModalDialog::ChangeDpi(int dpi, const RECT* suggested) {
  std::vector<FontHandle> made;
  for (const KeptFont& kept : fonts_)
    made.push_back(CreateDialogFont(kept.face, kept.pixelsAt96, dpi, kept.pitchAndFamily));
  std::vector<std::pair<HFONT, HFONT>> renamed;  // each old handle and its new one
  auto font = made.begin();
  for (KeptFont& kept : fonts_) {
    renamed.emplace_back(kept.font.Get(), font->Get());
    std::swap(kept.font, *font++);
  }  // `made` holds the old fonts now, deleted once the controls have the new ones
  dpi_ = dpi;
  constexpr UINT kPlace = SWP_NOZORDER | SWP_NOACTIVATE;
  for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (const std::optional<LayoutRect> at96 = KeptLayout(child)) {
      const LayoutRect at = Scaled(*at96, dpi);
      SetWindowPos(child, nullptr, at.left, at.top, at.width, at.height, kPlace);
    }
    const auto used = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
    for (const auto& [old, now] : renamed)
      if (used != nullptr && used == old)
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(now), FALSE);
    SetBitButtonDpi(child, dpi);
  }
  if (suggested != nullptr && suggested->right > suggested->left &&
      suggested->bottom > suggested->top) {
    SetWindowPos(dialog_, nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top, kPlace);
  }
  OnDpiChanged();
  RedrawWindow(dialog_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void ModalDialog::ForgetLayouts() const {
  for (HWND child = GetWindow(dialog_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    ForgetLayout(child);
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
