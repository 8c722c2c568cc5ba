#include "ui/dialogs/all_conections_win32.h"

#include <optional>

#include "ui/dialogs/list_dialog_win32.h"
#include "ui/ids.h"

namespace pelliton {

namespace {

constexpr wchar_t kCaption[] = L"Select Appropriate Connection";

// The layout, in pixels at 96 DPI.
constexpr int kClientWidth = 498;
constexpr int kClientHeight = 169;
constexpr LayoutRect kBevel2{8, 8, 481, 153};
constexpr COLORREF kListColor = RGB(0, 0, 0);

// One showing of the dialog: its window, fonts and handlers.
class ConnectionDialog final : public ListDialog {
 public:
  ConnectionDialog(HWND meter, const ConnectionDialogPorts& ports)
      : ListDialog(WindowDpi(meter)), meter_(meter), ports_(ports) {}

 private:
  void OnInitDialog() override;
  // The list is filled once the dialog is up and active.
  void OnActivate() override { form_->FormActivate(); }
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void ListBox1Click() override { form_->ListBox1Click(); }
  void BitBtn1Click() override { form_->BitBtn1Click(); }
  void BitBtn2Click() override { form_->BitBtn2Click(); }

  HWND meter_;
  ConnectionDialogPorts ports_;
  std::optional<ListBoxView> view_;
  std::optional<TAllConectionsForm> form_;
};

void ConnectionDialog::OnInitDialog() {
  CreateControls({.label1Id = IDC_CONN_LABEL1,
                  .label1Text = L"Network Conections Found",
                  .label1 = {16, 16, 192, 20},
                  .label1FontHeight = 16,
                  .bitBtn1 = {264, 16, 89, 25},
                  .bitBtn2 = {384, 16, 89, 25},
                  .listBox1Id = IDC_CONN_LISTBOX1,
                  .listBox1 = {16, 48, 465, 105},
                  .listStyle = 0,
                  .listFontHeight = 13,
                  .lineHeight = 16});
  view_.emplace(dialog_, listBox1_, bitBtn1_);
  form_.emplace(ports_, *view_);
  PlaceCentred(dialog_, meter_, Scaled(kClientWidth, dpi_), Scaled(kClientHeight, dpi_));
}

INT_PTR ConnectionDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CTLCOLORLISTBOX:
      return ControlColours(reinterpret_cast<HDC>(wParam), kListColor, COLOR_WINDOW);
    case WM_PAINT:
      PaintBevels({kBevel2});
      return TRUE;
  }
  return OnListMessage(message, wParam, lParam);
}

}  // namespace

void ShowConnectionDialog(HWND owner, HWND meter, const ConnectionDialogPorts& ports) {
  ConnectionDialog dialog(meter, ports);
  dialog.ShowModal(owner, kCaption, kDialogExStyle);
}

}  // namespace pelliton
