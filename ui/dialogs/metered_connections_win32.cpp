#include "ui/dialogs/metered_connections_win32.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>

#include "ui/ansi_text_win32.h"
#include "ui/common_controls_win32.h"
#include "ui/dialogs/bit_button_win32.h"
#include "ui/dialogs/metered_connections.h"
#include "ui/dialogs/modal_dialog_win32.h"
#include "ui/dpi_win32.h"
#include "ui/error_handler_win32.h"
#include "ui/ids.h"

namespace pelliton {

namespace {

constexpr wchar_t kCaption[] = L"Metered Connections";

// The layout, in pixels at 96 DPI: the list and its note framed on the left, the buttons on
// the right.
constexpr int kClientWidth = 481;
constexpr int kClientHeight = 249;
constexpr LayoutRect kBevel2{8, 8, 377, 233};
constexpr LayoutRect kBevel4{392, 8, 81, 233};
constexpr LayoutRect kList{16, 16, 361, 180};
constexpr LayoutRect kNote{16, 203, 361, 30};  // two lines or three, wrapped
constexpr LayoutRect kBitBtn1{400, 24, 65, 25};
constexpr LayoutRect kBitBtn2{400, 56, 65, 25};
constexpr wchar_t kFontFace[] = L"MS Sans Serif";
constexpr int kFormFontHeight = 11;

struct Column {
  const wchar_t* title;
  int width;  // at 96 DPI, before the lines are in; then the widest of its texts
};
constexpr Column kColumns[] = {
    {L"Connection", 150}, {L"Link", 40}, {L"Speed", 70}, {L"Address", 97}};

constexpr UINT kUnchecked = INDEXTOSTATEIMAGEMASK(1);
constexpr UINT kChecked = INDEXTOSTATEIMAGEMASK(2);

// The list view with check boxes and the dialog's other controls. Boxes set here send no
// toggle to the handlers.
class MeteredView final : public MeteredConnectionsView {
 public:
  MeteredView(HWND dialog, HWND list) : dialog_(dialog), list_(list) {}

  void AddLine(const ConnectionLine& line) override {
    const Quiet quiet(quiet_);
    std::wstring text = WidenAnsi(line.description);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = Count();
    item.pszText = text.data();
    const auto index = static_cast<int>(SendMessageW(list_, LVM_INSERTITEMW, 0, Param(item)));
    if (index < 0) throw std::runtime_error("Error creating window");
    SetLineLink(index, line);
    SetCell(index, 3, line.address);
    SetState(index, line.checked ? kChecked : kUnchecked, LVIS_STATEIMAGEMASK);
    if (index == 0) SetState(0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
    FitColumns();
  }
  void SetLineLink(int index, const ConnectionLine& line) override {
    SetCell(index, 1, line.link);
    SetCell(index, 2, line.speed);
  }
  bool LineChecked(int index) const override {
    const auto state =
        SendMessageW(list_, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK);
    return (static_cast<UINT>(state) & LVIS_STATEIMAGEMASK) == kChecked;
  }
  void SetLineChecked(int index, bool checked) override {
    const Quiet quiet(quiet_);
    SetState(index, checked ? kChecked : kUnchecked, LVIS_STATEIMAGEMASK);
  }
  void SetNote(std::string_view text) override {
    SetDlgItemTextW(dialog_, IDC_METERED_NOTE, WidenAnsi(text).c_str());
  }
  void SetOkEnabled(bool enabled) override { EnableWindow(GetDlgItem(dialog_, IDOK), enabled); }

  // Each column as wide as the widest of its texts and its title; the first takes what room
  // is left.
  void FitColumns() const {
    int used = 0;
    for (int column = 0; column < static_cast<int>(std::size(kColumns)); ++column) {
      SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), LVSCW_AUTOSIZE);
      const int title = static_cast<int>(SendMessageW(
          list_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(kColumns[column].title)));
      const int width = std::max(ColumnWidth(column), title + kTitlePadding);
      SendMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), width);
      used += width;
    }
    RECT client{};
    GetClientRect(list_, &client);
    const int room = client.right - GetSystemMetrics(SM_CXVSCROLL) - used;
    if (room > 0) SendMessageW(list_, LVM_SETCOLUMNWIDTH, 0, ColumnWidth(0) + room);
  }

  // Whether a change of a line's state that the list reports is the user's toggle of its box.
  bool Toggled(const NMLISTVIEW& change) const {
    return !quiet_ && change.iItem >= 0 && (change.uChanged & LVIF_STATE) != 0 &&
           ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK) != 0 &&
           (change.uOldState & LVIS_STATEIMAGEMASK) != 0;  // not the box's first showing
  }

 private:
  struct Quiet {
    explicit Quiet(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~Quiet() { flag_ = was_; }
    bool& flag_;
    bool was_;
  };
  static LPARAM Param(LVITEMW& item) { return reinterpret_cast<LPARAM>(&item); }
  static constexpr int kTitlePadding = 16;
  int Count() const { return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }
  int ColumnWidth(int column) const {
    return static_cast<int>(
        SendMessageW(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
  }
  void SetCell(int index, int column, std::string_view text) const {
    std::wstring wide = WidenAnsi(text);
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    SendMessageW(list_, LVM_SETITEMTEXTW, static_cast<WPARAM>(index), Param(item));
  }
  void SetState(int index, UINT state, UINT mask) const {
    LVITEMW item{};
    item.state = state;
    item.stateMask = mask;
    SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(index), Param(item));
  }

  HWND dialog_;
  HWND list_;
  bool quiet_ = false;
};

// The routers found so far are added this often while the dialog is open.
constexpr UINT_PTR kRouterTimer = 1;
constexpr UINT kRouterTimerMs = 500;

// One showing of the dialog: its window, font and handlers.
class MeteredDialog final : public ModalDialog {
 public:
  MeteredDialog(HWND meter, const DialogPorts& ports, const Locale& locale, int dpi)
      : ModalDialog(dpi), meter_(meter), ports_(ports), context_{ports.state, ports.store,
                                                                 ports.table, ports.clock,
                                                                 locale,      ports.window,
                                                                 ports.router} {}
  // The handlers' FormDestroy: after the window, whatever ended the showing.
  ~MeteredDialog() override {
    if (form_) Guarded([&] { form_->FormDestroy(); });
  }

 private:
  void OnInitDialog() override;
  void OnActivate() override {
    form_->FormActivate();
    form_->ShowRouters();  // starts the search; its answers come with the timer
    SetTimer(dialog_, kRouterTimer, kRouterTimerMs, nullptr);
  }
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged() override {
    SizeColumns();
    if (view_) view_->FitColumns();
  }
  HWND CreateList();
  void SizeColumns() const;

  HWND meter_;
  DialogPorts ports_;
  MeterContext context_;
  DialogFont formFont_;
  std::optional<MeteredView> view_;
  std::optional<TMeteredConnectionsForm> form_;
};

HWND MeteredDialog::CreateList() {
  if (!LoadCommonControls()) throw std::runtime_error("Cannot load the common controls");
  constexpr DWORD kListStyle =
      WS_TABSTOP | WS_GROUP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER;
  HWND list = CreateChild(dialog_, WC_LISTVIEWW, nullptr, kListStyle, WS_EX_CLIENTEDGE,
                          IDC_METERED_LIST, kList, dpi_, formFont_.Get());
  constexpr LPARAM kExtended = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT;
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, kExtended, kExtended);
  int column = 0;
  for (const Column& each : kColumns) {
    LVCOLUMNW header{};
    header.mask = LVCF_TEXT | LVCF_WIDTH;
    header.cx = Scaled(each.width, dpi_);
    header.pszText = const_cast<wchar_t*>(each.title);
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column++),
                 reinterpret_cast<LPARAM>(&header));
  }
  return list;
}

void MeteredDialog::SizeColumns() const {
  HWND list = GetDlgItem(dialog_, IDC_METERED_LIST);
  for (int column = 0; column < static_cast<int>(std::size(kColumns)); ++column) {
    SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                 Scaled(kColumns[column].width, dpi_));
  }
}

void MeteredDialog::OnInitDialog() {
  formFont_ = Font(kFontFace, kFormFontHeight);
  // Creation order is the tab order: the list, BitBtn1, BitBtn2.
  HWND list = CreateList();
  CreateChild(dialog_, L"STATIC", nullptr, SS_LEFT | SS_NOPREFIX, 0, IDC_METERED_NOTE,
              kNote, dpi_, formFont_.Get());
  CreateBitButton(dialog_, IDOK, L"OK", ButtonGlyph::Ok, kBitBtn1, dpi_, formFont_.Get(),
                  WS_TABSTOP | WS_GROUP);
  CreateBitButton(dialog_, IDCANCEL, L"Cancel", ButtonGlyph::Cancel, kBitBtn2, dpi_,
                  formFont_.Get(), WS_TABSTOP);
  view_.emplace(dialog_, list);
  form_.emplace(context_, *view_, ports_.window);
  PlaceCentred(dialog_, meter_, Scaled(kClientWidth, dpi_), Scaled(kClientHeight, dpi_));
  SendMessageW(dialog_, DM_SETDEFID, IDOK, 0);
  SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
}

// OK closes only once the checked set is stored: Enter reaches it also while it is disabled.
INT_PTR MeteredDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NOTIFY: {
      const auto& change = *reinterpret_cast<const NMLISTVIEW*>(lParam);
      if (change.hdr.idFrom == IDC_METERED_LIST && change.hdr.code == LVN_ITEMCHANGED &&
          view_->Toggled(change)) {
        form_->LineToggled(change.iItem);
      }
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        if (IsWindowEnabled(GetDlgItem(dialog_, IDOK)) && form_->BitBtn1Click())
          EndDialog(dialog_, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog_, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    case WM_PAINT:
      PaintBevels({kBevel2, kBevel4});
      return TRUE;
    case WM_TIMER:
      if (wParam == kRouterTimer) form_->ShowRouters();
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void ShowMeteredConnectionsDialog(HWND owner, HWND meter, const DialogPorts& ports,
                                  const Locale& locale) {
  ShowMeteredConnectionsDialog(owner, meter, ports, locale, WindowDpi(meter));
}

void ShowMeteredConnectionsDialog(HWND owner, HWND meter, const DialogPorts& ports,
                                  const Locale& locale, int dpi) {
  MeteredDialog dialog(meter, ports, locale, dpi);
  dialog.ShowModal(owner, kCaption, kToolDialogExStyle);
}

}  // namespace pelliton
