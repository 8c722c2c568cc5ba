#include "ui/dialogs/all_conections_win32.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ui/dialogs/bit_button_win32.h"
#include "ui/dialogs/dialog_support_win32.h"
#include "ui/dialogs/list_box_view_win32.h"
#include "ui/error_handler_win32.h"
#include "ui/ids.h"

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
  void PaintBevel2();

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
  FitLabelToText(label1_, label1Font_.Get());
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
    case WM_CTLCOLORSTATIC: {
      if (reinterpret_cast<HWND>(lParam) != label1_) return FALSE;
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, kLabel1Color);
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
    }
    case WM_CTLCOLORLISTBOX: {
      HDC dc = reinterpret_cast<HDC>(wParam);
      SetTextColor(dc, kListColor);
      SetBkColor(dc, GetSysColor(COLOR_WINDOW));
      return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_WINDOW));
    }
    case WM_PAINT:
      PaintBevel2();
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

void ConnectionDialog::PaintBevel2() {
  PAINTSTRUCT paint{};
  HDC dc = BeginPaint(dialog_, &paint);
  RECT frame{Scaled(kBevel2.left, dpi_), Scaled(kBevel2.top, dpi_),
             Scaled(kBevel2.left + kBevel2.width, dpi_),
             Scaled(kBevel2.top + kBevel2.height, dpi_)};
  DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
  EndPaint(dialog_, &paint);
}

}  // namespace

void ShowConnectionDialog(HWND owner, HWND meter, const ConnectionDialogPorts& ports) {
  ConnectionDialog dialog(meter, ports);
  const std::vector<DWORD> layout = EmptyDialogTemplate(kStyle, kExStyle, kCaption);
  const INT_PTR result = DialogBoxIndirectParamW(
      GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(layout.data()), owner,
      &ConnectionDialog::Proc, reinterpret_cast<LPARAM>(&dialog));
  if (result == -1) throw std::runtime_error("Error creating window");
}

}  // namespace pelliton
