#include "ui/dialogs/data_cap_win32.h"

#include <optional>
#include <string>

#include "ui/dialogs/bit_button_win32.h"
#include "metering/plan/plan_usage.h"
#include "metering/plan/plan_view.h"
#include "ui/dialogs/data_cap.h"
#include "ui/dialogs/modal_dialog_win32.h"
#include "ui/error_handler_win32.h"
#include "ui/ids.h"

namespace pelliton {

namespace {

constexpr wchar_t kCaption[] = L"Monthly Data Cap";

// The layout, in pixels at 96 DPI: the entries and the cycle's lines framed on the left, the
// buttons on the right.
constexpr int kClientWidth = 481;
constexpr int kClientHeight = 209;
constexpr LayoutRect kBevel2{8, 8, 377, 193};
constexpr LayoutRect kBevel4{392, 8, 81, 193};
constexpr LayoutRect kLabel1{16, 20, 240, 13};
constexpr LayoutRect kEdit1{264, 16, 105, 21};
constexpr LayoutRect kProblem1{16, 38, 353, 13};
constexpr LayoutRect kLabel2{16, 60, 240, 13};
constexpr LayoutRect kEdit2{264, 56, 105, 21};
constexpr LayoutRect kProblem2{16, 78, 353, 13};
constexpr LayoutRect kLabel3{16, 100, 240, 13};
constexpr LayoutRect kEdit3{264, 96, 105, 21};
constexpr LayoutRect kProblem3{16, 118, 353, 13};
constexpr int kLinesTop = 140;
constexpr int kLineStep = 18;
constexpr std::size_t kLines = 3;
constexpr std::size_t kPlanLines = 8;  // the cycle, and each allowance of a plan with its pace
constexpr int kLineIds[kPlanLines] = {IDC_CAP_LINE1,     IDC_CAP_LINE2,     IDC_CAP_LINE3,
                                      IDC_CAP_LINE4,     IDC_CAP_LINE4 + 1, IDC_CAP_LINE4 + 2,
                                      IDC_CAP_LINE4 + 3, IDC_CAP_LINE4 + 4};
constexpr LayoutRect kBitBtn1{400, 24, 65, 25};
constexpr LayoutRect kBitBtn2{400, 56, 65, 25};
constexpr wchar_t kFontFace[] = L"MS Sans Serif";
constexpr int kFormFontHeight = 11;
constexpr COLORREF kProblemColor = RGB(255, 0, 0);
constexpr DWORD kTextStyle = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr DWORD kProblemStyle = SS_RIGHT | SS_NOPREFIX;  // under its entry's right edge

// The dialog's controls, found by id.
class DataCapView final : public DataCapDialogView {
 public:
  explicit DataCapView(HWND dialog) : dialog_(dialog) {}

  std::string AllowanceText() const override { return Text(IDC_CAP_EDIT1); }
  std::string WarningText() const override { return Text(IDC_CAP_EDIT2); }
  void SetEntries(std::string_view allowance, std::string_view warning) override {
    SetText(IDC_CAP_EDIT1, allowance);
    SetText(IDC_CAP_EDIT2, warning);
  }
  void SetProblems(std::string_view allowance, std::string_view warning) override {
    SetText(IDC_CAP_PROBLEM1, allowance);
    SetText(IDC_CAP_PROBLEM2, warning);
  }
  void SetCycleLines(const std::vector<std::string>& lines) override {
    for (std::size_t i = 0; i < kPlanLines; ++i)
      if (GetDlgItem(dialog_, kLineIds[i]) != nullptr)
        SetText(kLineIds[i], i < lines.size() ? lines[i] : "");
  }
  void SetOkEnabled(bool enabled) override { EnableWindow(GetDlgItem(dialog_, IDOK), enabled); }
  std::string UsedText() const override { return Text(IDC_CAP_EDIT3); }
  void SetUsedProblem(std::string_view problem) override { SetText(IDC_CAP_PROBLEM3, problem); }

 private:
  std::string Text(int id) const { return ItemText(dialog_, id); }
  void SetText(int id, std::string_view text) const { SetItemText(dialog_, id, text); }

  HWND dialog_;
};

// One showing of the dialog: its window, font and handlers.
class DataCapDialog final : public ModalDialog {
 public:
  DataCapDialog(HWND meter, const DialogPorts& ports, const Locale& locale, int dpi)
      : ModalDialog(dpi), meter_(meter), ports_(ports), locale_(locale) {}
  // The handlers' FormDestroy: after the window, whatever ended the showing.
  ~DataCapDialog() override {
    if (form_) Guarded([&] { form_->FormDestroy(); });
  }

 private:
  void OnInitDialog() override;
  void OnActivate() override { form_->FormActivate(); }
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  HWND Child(const wchar_t* windowClass, DWORD style, DWORD exStyle, int id, LayoutRect at96,
             const wchar_t* text = nullptr) {
    return CreateChild(dialog_, windowClass, text, style, exStyle, id, at96, dpi_, formFont_.Get());
  }
  INT_PTR OnCommand(WPARAM wParam);
  // How much taller the lines of a plan make the dialog, in pixels at 96 DPI.
  int Taller() const { return kLineStep * static_cast<int>(lines_ - kLines); }

  HWND meter_;
  std::size_t lines_ = kLines;
  DialogPorts ports_;
  const Locale& locale_;
  DialogFont formFont_;
  std::optional<DataCapView> view_;
  std::optional<TDataCapForm> form_;
};

void DataCapDialog::OnInitDialog() {
  formFont_ = Font(kFontFace, kFormFontHeight);
  constexpr DWORD kEditStyle = WS_TABSTOP | ES_AUTOHSCROLL;
  // Creation order is the tab order: Edit1, Edit2, Edit3, BitBtn1, BitBtn2.
  Child(L"STATIC", kTextStyle, 0, IDC_CAP_LABEL1, kLabel1,
        L"Allowance per cycle in GB (0 for none):");
  HWND edit1 = Child(L"EDIT", kEditStyle | WS_GROUP, WS_EX_CLIENTEDGE, IDC_CAP_EDIT1, kEdit1);
  Child(L"STATIC", kProblemStyle, 0, IDC_CAP_PROBLEM1, kProblem1);
  Child(L"STATIC", kTextStyle, 0, IDC_CAP_LABEL2, kLabel2, L"Warning level in percent (50 to 99):");
  Child(L"EDIT", kEditStyle, WS_EX_CLIENTEDGE, IDC_CAP_EDIT2, kEdit2);
  Child(L"STATIC", kProblemStyle, 0, IDC_CAP_PROBLEM2, kProblem2);
  Child(L"STATIC", kTextStyle, 0, IDC_CAP_LABEL3, kLabel3, L"Used so far this cycle in GB:");
  Child(L"EDIT", kEditStyle, WS_EX_CLIENTEDGE, IDC_CAP_EDIT3, kEdit3);
  Child(L"STATIC", kProblemStyle, 0, IDC_CAP_PROBLEM3, kProblem3);
  KnownPlanSettings(ports_.state, ports_.store);
  KnownPlanFigures(ports_.state, ports_.store);
  lines_ = PlanShown(ports_.state) ? kPlanLines : kLines;
  for (std::size_t i = 0; i < lines_; ++i)
    Child(L"STATIC", kTextStyle, 0, kLineIds[i],
          {16, kLinesTop + kLineStep * static_cast<int>(i), 361, 13});
  CreateBitButton(dialog_, IDOK, L"OK", ButtonGlyph::Ok, kBitBtn1, dpi_, formFont_.Get(),
                  WS_TABSTOP | WS_GROUP);
  CreateBitButton(dialog_, IDCANCEL, L"Cancel", ButtonGlyph::Cancel, kBitBtn2, dpi_,
                  formFont_.Get(), WS_TABSTOP);

  view_.emplace(dialog_);
  form_.emplace(ports_, locale_, *view_);
  PlaceCentred(dialog_, meter_, Scaled(kClientWidth, dpi_), Scaled(kClientHeight + Taller(), dpi_));
  SendMessageW(dialog_, DM_SETDEFID, IDOK, 0);
  SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit1), TRUE);
}

INT_PTR DataCapDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(wParam);
    case WM_CTLCOLORSTATIC: {
      const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
      if (id != IDC_CAP_PROBLEM1 && id != IDC_CAP_PROBLEM2 && id != IDC_CAP_PROBLEM3) return FALSE;
      return ControlColours(reinterpret_cast<HDC>(wParam), kProblemColor);
    }
    case WM_PAINT:
      PaintBevels({{kBevel2.left, kBevel2.top, kBevel2.width, kBevel2.height + Taller()},
                   {kBevel4.left, kBevel4.top, kBevel4.width, kBevel4.height + Taller()}});
      return TRUE;
  }
  return FALSE;
}

// OK closes only with good entries: Enter reaches it also while it is disabled.
INT_PTR DataCapDialog::OnCommand(WPARAM wParam) {
  const int id = LOWORD(wParam);
  const bool entry = id == IDC_CAP_EDIT1 || id == IDC_CAP_EDIT2 || id == IDC_CAP_EDIT3;
  if (entry && HIWORD(wParam) == EN_CHANGE) {
    form_->EditChange();
  } else if (id == IDOK) {
    if (form_->BitBtn1Click()) EndDialog(dialog_, IDOK);
  } else if (id == IDCANCEL) {
    EndDialog(dialog_, IDCANCEL);
  } else {
    return FALSE;
  }
  return TRUE;
}

}  // namespace

void ShowDataCapDialog(HWND owner, HWND meter, const DialogPorts& ports, const Locale& locale) {
  ShowDataCapDialog(owner, meter, ports, locale, WindowDpi(meter));
}

void ShowDataCapDialog(HWND owner, HWND meter, const DialogPorts& ports, const Locale& locale,
                       int dpi) {
  DataCapDialog dialog(meter, ports, locale, dpi);
  dialog.ShowModal(owner, kCaption, kToolDialogExStyle);
}

}  // namespace pelliton
