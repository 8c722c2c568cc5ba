#include "ui/dialogs/cycle_date_win32.h"

#include <cwchar>
#include <optional>

#include "ui/dialogs/cycle_date.h"
#include "ui/dialogs/list_dialog_win32.h"
#include "ui/error_handler_win32.h"
#include "ui/ids.h"

namespace pelliton {

namespace {

constexpr wchar_t kCaption[] = L"Cycle Date Selection";

// The layout, in pixels at 96 DPI.
constexpr int kClientWidth = 201;
constexpr int kClientHeight = 105;
constexpr LayoutRect kBevel2{8, 8, 97, 89};
constexpr LayoutRect kBevel4{112, 8, 81, 89};
constexpr int kListTextIndent = 2;
constexpr COLORREF kListColor = RGB(255, 0, 0);

// One showing of the dialog: its window, fonts and handlers.
class CycleDateDialog final : public ListDialog {
 public:
  CycleDateDialog(HWND meter, const DialogPorts& ports, int dpi)
      : ListDialog(dpi), meter_(meter), ports_(ports) {}
  // The handlers' FormDestroy: after the window, whatever ended the showing.
  ~CycleDateDialog() override {
    if (form_) Guarded([&] { form_->FormDestroy(); });
  }

 private:
  void OnInitDialog() override;
  void OnActivate() override { form_->FormActivate(); }
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void ListBox1Click() override { form_->ListBox1Click(); }
  void BitBtn1Click() override { form_->BitBtn1Click(); }
  void DrawLine(const DRAWITEMSTRUCT& item) const;

  HWND meter_;
  DialogPorts ports_;
  std::optional<ListBoxView> view_;
  std::optional<TCycleDateForm> form_;
};

void CycleDateDialog::OnInitDialog() {
  CreateControls({.label1Id = IDC_CYCLE_LABEL1,
                  .label1Text = L"Cycle Date",
                  .label1 = {16, 16, 77, 20},
                  .label1FontHeight = 16,
                  .bitBtn1 = {120, 24, 65, 25},
                  .bitBtn2 = {120, 56, 65, 25},
                  .listBox1Id = IDC_CYCLE_LISTBOX1,
                  .listBox1 = {24, 40, 57, 49},
                  .listStyle = LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                  .listFontHeight = 32,
                  .lineHeight = 37});
  view_.emplace(dialog_, listBox1_, bitBtn1_);
  form_.emplace(ports_, *view_);
  PlaceCentred(dialog_, meter_, Scaled(kClientWidth, dpi_), Scaled(kClientHeight, dpi_));
}

INT_PTR CycleDateDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DRAWITEM:
      if (wParam != IDC_CYCLE_LISTBOX1) return FALSE;
      DrawLine(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return Result(TRUE);
    case WM_PAINT:
      PaintBevels({kBevel2, kBevel4});
      return TRUE;
  }
  return OnListMessage(message, wParam, lParam);
}

// A line in red on the window colour, or in the selection colours.
void CycleDateDialog::DrawLine(const DRAWITEMSTRUCT& item) const {
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (item.itemID != static_cast<UINT>(-1)) {
    wchar_t text[8] = {};
    if (SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0) < 8)
      SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text));
    HGDIOBJ old = SelectObject(dc, listFont_.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : kListColor);
    TextOutW(dc, rect.left + Scaled(kListTextIndent, dpi_), rect.top, text,
             static_cast<int>(std::wcslen(text)));
    SelectObject(dc, old);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rect);
}

}  // namespace

void ShowCycleDateDialog(HWND owner, HWND meter, const DialogPorts& ports) {
  ShowCycleDateDialog(owner, meter, ports, WindowDpi(meter));
}

void ShowCycleDateDialog(HWND owner, HWND meter, const DialogPorts& ports, int dpi) {
  CycleDateDialog dialog(meter, ports, dpi);
  dialog.ShowModal(owner, kCaption, kToolDialogExStyle);
}

}  // namespace pelliton
