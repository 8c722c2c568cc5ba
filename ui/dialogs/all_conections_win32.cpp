#include "ui/dialogs/all_conections_win32.h"

#include <algorithm>
#include <cwchar>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "ui/dialogs/bit_button_win32.h"
#include "ui/dialogs/dialog_support_win32.h"
#include "ui/error_handler_win32.h"
#include "ui/ids.h"
#include "ui/meter/ansi_text_win32.h"

namespace pelliton {

namespace {

constexpr wchar_t kCaption[] = L"Select Appropriate Connection";
constexpr wchar_t kLabel1Text[] = L"Network Conections Found";
constexpr DWORD kStyle = DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_VISIBLE;
constexpr DWORD kExStyle = WS_EX_TOPMOST;
constexpr UINT kFormActivate = WM_APP + 1;

// The layout, in pixels at 96 DPI.
constexpr int kClientWidth = 498;
constexpr int kClientHeight = 169;
constexpr LayoutRect kBevel2{8, 8, 481, 153};
constexpr LayoutRect kLabel1{16, 16, 192, 20};
constexpr LayoutRect kBitBtn1{264, 16, 89, 25};
constexpr LayoutRect kBitBtn2{384, 16, 89, 25};
constexpr LayoutRect kListBox1{16, 48, 465, 105};
constexpr int kListLineHeight = 16;
constexpr wchar_t kFontFace[] = L"MS Sans Serif";
constexpr int kFormFontHeight = 11;
constexpr int kLabel1FontHeight = 16;
constexpr int kListFontHeight = 13;
constexpr COLORREF kLabel1Color = RGB(0, 0, 255);
constexpr COLORREF kListColor = RGB(0, 0, 0);

// ListBox1 and the OK button. The lines are kept as given too, so that a confirmed line goes
// to the store byte for byte, whatever the round trip through UTF-16 would make of it.
class ListBoxView final : public ConnectionDialogView {
 public:
  ListBoxView(HWND dialog, HWND list, HWND ok) : dialog_(dialog), list_(list), ok_(ok) {}

  void ClearList() override {
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    lines_.clear();
  }
  void AddLine(std::string_view text) override {
    lines_.emplace_back(text);
    const std::wstring wide = WidenAnsi(text);
    if (SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())) < 0) {
      lines_.pop_back();
      throw std::bad_alloc();
    }
  }
  int LineCount() const override {
    return static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0));
  }
  std::string Line(int index) const override { return lines_.at(static_cast<std::size_t>(index)); }
  int SelectedIndex() const override {
    const LRESULT index = SendMessageW(list_, LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
  }
  void SelectLine(int index) override {
    SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  void SetOkEnabled(bool enabled) override { EnableWindow(ok_, enabled ? TRUE : FALSE); }
  void EndModalCancel() override { EndDialog(dialog_, IDCANCEL); }

 private:
  HWND dialog_;
  HWND list_;
  HWND ok_;
  std::vector<std::string> lines_;
};

// One showing of the dialog: its window, fonts and handlers.
class ConnectionDialog {
 public:
  ConnectionDialog(HWND meter, const ConnectionDialogPorts& ports)
      : meter_(meter), ports_(ports), dpi_(ScreenDpi()) {}

  static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void OnInitDialog();
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);
  void FitToText(HWND label);

  HWND meter_;
  ConnectionDialogPorts ports_;
  int dpi_;
  FontHandle formFont_, label1Font_, listFont_;
  HWND dialog_ = nullptr;
  HWND label1_ = nullptr;
  HWND bitBtn1_ = nullptr;
  HWND bitBtn2_ = nullptr;
  HWND listBox1_ = nullptr;
  std::optional<ListBoxView> view_;
  std::optional<TAllConectionsForm> form_;
};

INT_PTR CALLBACK ConnectionDialog::Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<ConnectionDialog*>(lParam);
    SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    self->dialog_ = dialog;
    bool ready = false;
    Guarded([&] {
      self->OnInitDialog();
      ready = true;
    });
    if (!ready) EndDialog(dialog, IDCANCEL);
    return FALSE;  // the focus is set: Cancel
  }
  auto* self = reinterpret_cast<ConnectionDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
  return self != nullptr ? self->OnMessage(message, wParam, lParam) : FALSE;
}

void ConnectionDialog::OnInitDialog() {
  formFont_ = CreateDialogFont(kFontFace, kFormFontHeight, dpi_);
  label1Font_ = CreateDialogFont(kFontFace, kLabel1FontHeight, dpi_);
  listFont_ = CreateDialogFont(kFontFace, kListFontHeight, dpi_);

  // Creation order is the tab order: BitBtn1, BitBtn2, ListBox1.
  label1_ = CreateChild(dialog_, L"STATIC", kLabel1Text, SS_LEFTNOWORDWRAP | SS_NOTIFY | WS_GROUP,
                        0, IDC_CONN_LABEL1, kLabel1, dpi_, label1Font_.Get());
  FitToText(label1_);
  bitBtn1_ = CreateBitButton(dialog_, IDOK, L"OK", ButtonGlyph::Ok, kBitBtn1, dpi_, formFont_.Get(),
                             WS_TABSTOP | WS_GROUP);
  bitBtn2_ = CreateBitButton(dialog_, IDCANCEL, L"Cancel", ButtonGlyph::Cancel, kBitBtn2, dpi_,
                             formFont_.Get(), WS_TABSTOP);
  listBox1_ = CreateChild(dialog_, L"LISTBOX", nullptr,
                          WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                          WS_EX_CLIENTEDGE, IDC_CONN_LISTBOX1, kListBox1, dpi_, listFont_.Get());
  // After the font, which would set the line height of its own.
  SendMessageW(listBox1_, LB_SETITEMHEIGHT, 0, Scaled(kListLineHeight, dpi_));

  view_.emplace(dialog_, listBox1_, bitBtn1_);
  form_.emplace(ports_, *view_);

  PlaceCentred(dialog_, meter_, Scaled(kClientWidth, dpi_), Scaled(kClientHeight, dpi_));
  SendMessageW(dialog_, DM_SETDEFID, IDOK, 0);
  SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(bitBtn2_), TRUE);
  // The list is filled once the dialog is up and active.
  PostMessageW(dialog_, kFormActivate, 0, 0);
}

INT_PTR ConnectionDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!form_) return FALSE;  // a failed WM_INITDIALOG, the dialog is ending
  switch (message) {
    case kFormActivate:
      Guarded([&] { form_->FormActivate(); });
      return TRUE;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return TRUE;
    case WM_CLOSE:  // closed some other way: neither handler runs
      EndDialog(dialog_, IDCANCEL);
      return TRUE;
    case WM_DRAWITEM:
      if (!DrawBitButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return FALSE;
      SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) != label1_) return FALSE;
      return ControlColours(wParam, kLabel1Color, COLOR_BTNFACE);
    case WM_CTLCOLORLISTBOX:
      return ControlColours(wParam, kListColor, COLOR_WINDOW);
    case WM_PAINT:
      PaintBevel(dialog_, kBevel2, dpi_, BDR_SUNKENOUTER);
      return TRUE;
  }
  return FALSE;
}

void ConnectionDialog::OnCommand(int id, int code) {
  switch (id) {
    case IDOK:
      // Enter reaches here too; a disabled OK button presses nothing.
      if (!IsWindowEnabled(bitBtn1_)) return;
      Guarded([&] { form_->BitBtn1Click(); });
      // The OK button closes with the OK result even when its handler failed.
      EndDialog(dialog_, IDOK);
      return;
    case IDCANCEL:
      Guarded([&] { form_->BitBtn2Click(); });
      EndDialog(dialog_, IDCANCEL);
      return;
    case IDC_CONN_LISTBOX1:
      if (code == LBN_SELCHANGE) Guarded([&] { form_->ListBox1Click(); });
      return;
    case IDC_CONN_LABEL1:
      if (code == STN_CLICKED) Guarded([&] { form_->BitBtn1Click(); });
      return;
  }
}

// The label is sized to its text in the layout's font; a wider stand-in font widens it
// rather than cutting the text.
void ConnectionDialog::FitToText(HWND label) {
  HDC dc = GetDC(label);
  if (dc == nullptr) return;
  HGDIOBJ old = SelectObject(dc, label1Font_.Get());
  SIZE extent{};
  GetTextExtentPoint32W(dc, kLabel1Text, static_cast<int>(std::wcslen(kLabel1Text)), &extent);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  RECT rect{};
  GetClientRect(label, &rect);
  if (extent.cx > rect.right || extent.cy > rect.bottom) {
    SetWindowPos(label, nullptr, 0, 0, std::max(extent.cx, rect.right),
                 std::max(extent.cy, rect.bottom), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace

void ShowConnectionDialog(HWND owner, HWND meter, const ConnectionDialogPorts& ports) {
  ConnectionDialog dialog(meter, ports);
  ShowModalDialog(owner, kStyle, kExStyle, kCaption, &ConnectionDialog::Proc,
                  reinterpret_cast<LPARAM>(&dialog));
}

}  // namespace pelliton
