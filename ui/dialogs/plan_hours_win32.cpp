#include "ui/dialogs/plan_hours_win32.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <string>

#include "ui/dialogs/bit_button_win32.h"
#include "ui/dialogs/modal_dialog_win32.h"
#include "ui/dialogs/plan_hours.h"
#include "ui/error_handler_win32.h"
#include "ui/ids.h"

namespace pelliton {

namespace {

constexpr wchar_t kCaption[] = L"Plan Hours";

// The layout, in pixels at 96 DPI, as "Monthly Data Cap" has it: the entries and the
// allowances' lines framed on the left, the buttons on the right.
constexpr int kClientWidth = 481;
constexpr int kClientHeight = 501;
constexpr LayoutRect kBevel2{8, 8, 377, 485};
constexpr LayoutRect kBevel4{392, 8, 81, 485};
constexpr int kEntryLeft = 264;
constexpr int kEntryWidth = 105;
constexpr LayoutRect kWindowBox{16, 18, 168, 17};
constexpr LayoutRect kFrom{188, 16, 57, 21};
constexpr LayoutRect kToLabel{252, 20, 16, 13};
constexpr LayoutRect kTo{272, 16, 57, 21};
constexpr LayoutRect kRuleLabel{16, 60, 353, 13};
constexpr LayoutRect kRules[] = {{24, 78, 345, 17}, {24, 96, 345, 17}, {24, 114, 345, 17}};
constexpr LayoutRect kLines[] = {{16, 350, 361, 13}, {16, 368, 361, 13}, {16, 386, 361, 13},
                                 {16, 404, 361, 13}, {16, 422, 361, 13}, {16, 440, 361, 13},
                                 {16, 458, 361, 13}, {16, 476, 361, 13}};
constexpr LayoutRect kBitBtn1{400, 24, 65, 25};
constexpr LayoutRect kBitBtn2{400, 56, 65, 25};
constexpr wchar_t kFontFace[] = L"MS Sans Serif";
constexpr int kFormFontHeight = 11;
constexpr COLORREF kProblemColor = RGB(255, 0, 0);
constexpr DWORD kTextStyle = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr DWORD kProblemStyle = SS_RIGHT | SS_NOPREFIX;  // under its entry's right edge
constexpr DWORD kEditStyle = WS_TABSTOP | ES_AUTOHSCROLL;

// A labelled entry on a row of its own, with its reason under it.
struct EntryRow {
  int label, edit, problem;
  int top;
  const wchar_t* caption;
};
constexpr EntryRow kRows[] = {
    {IDC_PLAN_OFFPEAK_LABEL, IDC_PLAN_OFFPEAK, IDC_PLAN_OFFPEAK_PROBLEM, 140,
     L"Off-peak allowance per cycle in GB:"},
    {IDC_PLAN_OFFPEAK_WARNING_LABEL, IDC_PLAN_OFFPEAK_WARNING, IDC_PLAN_OFFPEAK_WARNING_PROBLEM,
     180, L"Its warning level in percent (50 to 99):"},
    {IDC_PLAN_DAILY_LABEL, IDC_PLAN_DAILY, IDC_PLAN_DAILY_PROBLEM, 222,
     L"Daily allowance in GB (empty for none):"},
    {IDC_PLAN_DAILY_WARNING_LABEL, IDC_PLAN_DAILY_WARNING, IDC_PLAN_DAILY_WARNING_PROBLEM, 262,
     L"Its warning level in percent (50 to 99):"},
    {IDC_PLAN_RESET_LABEL, IDC_PLAN_RESET, IDC_PLAN_RESET_PROBLEM, 302,
     L"The day's allowance starts again at hour:"},
};
constexpr int kRuleIds[] = {IDC_PLAN_FREE, IDC_PLAN_OWN, IDC_PLAN_OWN_THEN_MAIN};
constexpr const wchar_t* kRuleCaptions[] = {
    L"Free: it counts toward no allowance",
    L"An allowance of its own, nothing spills over",
    L"Its own allowance first, then the main one",
};
// The problem fields in the order of PlanProblem.
constexpr int kProblemIds[] = {IDC_PLAN_WINDOW_PROBLEM,          IDC_PLAN_OFFPEAK_PROBLEM,
                               IDC_PLAN_OFFPEAK_WARNING_PROBLEM, IDC_PLAN_DAILY_PROBLEM,
                               IDC_PLAN_DAILY_WARNING_PROBLEM,   IDC_PLAN_RESET_PROBLEM};
static_assert(std::size(kProblemIds) == static_cast<std::size_t>(PlanProblem::Count));

bool IsProblem(int id) {
  return std::find(std::begin(kProblemIds), std::end(kProblemIds), id) != std::end(kProblemIds);
}

// The dialog's controls, found by id.
class PlanView final : public PlanDialogView {
 public:
  explicit PlanView(HWND dialog) : dialog_(dialog) {}

  PlanEntries Entries() const override {
    PlanEntries entries;
    entries.window = IsDlgButtonChecked(dialog_, IDC_PLAN_WINDOW) == BST_CHECKED;
    entries.from = Text(IDC_PLAN_FROM);
    entries.to = Text(IDC_PLAN_TO);
    for (std::size_t i = 0; i < std::size(kRuleIds); ++i)
      if (IsDlgButtonChecked(dialog_, kRuleIds[i]) == BST_CHECKED)
        entries.rule = static_cast<OffPeakRule>(i);
    entries.offPeak = Text(IDC_PLAN_OFFPEAK);
    entries.offPeakWarning = Text(IDC_PLAN_OFFPEAK_WARNING);
    entries.daily = Text(IDC_PLAN_DAILY);
    entries.dailyWarning = Text(IDC_PLAN_DAILY_WARNING);
    entries.resetHour = Text(IDC_PLAN_RESET);
    return entries;
  }
  void SetEntries(const PlanEntries& entries) override {
    CheckDlgButton(dialog_, IDC_PLAN_WINDOW, entries.window ? BST_CHECKED : BST_UNCHECKED);
    SetText(IDC_PLAN_FROM, entries.from);
    SetText(IDC_PLAN_TO, entries.to);
    CheckRadioButton(dialog_, kRuleIds[0], kRuleIds[2],
                     kRuleIds[static_cast<std::size_t>(entries.rule) % std::size(kRuleIds)]);
    SetText(IDC_PLAN_OFFPEAK, entries.offPeak);
    SetText(IDC_PLAN_OFFPEAK_WARNING, entries.offPeakWarning);
    SetText(IDC_PLAN_DAILY, entries.daily);
    SetText(IDC_PLAN_DAILY_WARNING, entries.dailyWarning);
    SetText(IDC_PLAN_RESET, entries.resetHour);
  }
  void SetProblems(const PlanProblems& problems) override {
    for (std::size_t i = 0; i < problems.size(); ++i) SetText(kProblemIds[i], problems[i]);
  }
  void EnableEntries(bool window, bool offPeakAllowance) override {
    for (int id : {IDC_PLAN_FROM, IDC_PLAN_TO_LABEL, IDC_PLAN_TO, IDC_PLAN_RULE_LABEL,
                   IDC_PLAN_FREE, IDC_PLAN_OWN, IDC_PLAN_OWN_THEN_MAIN})
      EnableWindow(GetDlgItem(dialog_, id), window);
    for (int id : {IDC_PLAN_OFFPEAK_LABEL, IDC_PLAN_OFFPEAK, IDC_PLAN_OFFPEAK_WARNING_LABEL,
                   IDC_PLAN_OFFPEAK_WARNING})
      EnableWindow(GetDlgItem(dialog_, id), offPeakAllowance);
  }
  void SetLines(const std::vector<std::string>& lines) override {
    for (std::size_t i = 0; i < std::size(kLines); ++i)
      SetText(IDC_PLAN_LINE1 + static_cast<int>(i), i < lines.size() ? lines[i] : "");
  }
  void SetOkEnabled(bool enabled) override { EnableWindow(GetDlgItem(dialog_, IDOK), enabled); }

 private:
  std::string Text(int id) const { return ItemText(dialog_, id); }
  // Only a text that changes is set, so that setting the reasons sends no more changes.
  void SetText(int id, std::string_view text) const {
    if (text != Text(id)) SetItemText(dialog_, id, text);
  }

  HWND dialog_;
};

// One showing of the dialog: its window, font and handlers.
class PlanDialog final : public ModalDialog {
 public:
  PlanDialog(HWND meter, const DialogPorts& ports, const Locale& locale, int dpi)
      : ModalDialog(dpi), meter_(meter), ports_(ports), locale_(locale) {}
  // The handlers' FormDestroy: after the window, whatever ended the showing.
  ~PlanDialog() override {
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

  HWND meter_;
  DialogPorts ports_;
  const Locale& locale_;
  DialogFont formFont_;
  std::optional<PlanView> view_;
  std::optional<TPlanForm> form_;
};

// Creation order is the tab order: the window's box, its hours, the rules, the entries, the
// buttons.
void PlanDialog::OnInitDialog() {
  formFont_ = Font(kFontFace, kFormFontHeight);
  HWND first = Child(L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP | WS_GROUP, 0, IDC_PLAN_WINDOW,
                     kWindowBox, L"Off-peak hours from");
  Child(L"EDIT", kEditStyle, WS_EX_CLIENTEDGE, IDC_PLAN_FROM, kFrom);
  Child(L"STATIC", kTextStyle, 0, IDC_PLAN_TO_LABEL, kToLabel, L"to");
  Child(L"EDIT", kEditStyle, WS_EX_CLIENTEDGE, IDC_PLAN_TO, kTo);
  Child(L"STATIC", kProblemStyle, 0, IDC_PLAN_WINDOW_PROBLEM, {16, 38, 313, 13});
  Child(L"STATIC", kTextStyle, 0, IDC_PLAN_RULE_LABEL, kRuleLabel,
        L"The traffic in these hours counts toward:");
  for (std::size_t i = 0; i < std::size(kRuleIds); ++i)
    Child(L"BUTTON", BS_AUTORADIOBUTTON | (i == 0 ? WS_TABSTOP | WS_GROUP : 0), 0, kRuleIds[i],
          kRules[i], kRuleCaptions[i]);
  for (const EntryRow& row : kRows) {
    Child(L"STATIC", kTextStyle, 0, row.label, {16, row.top + 4, 240, 13}, row.caption);
    Child(L"EDIT", kEditStyle | WS_GROUP, WS_EX_CLIENTEDGE, row.edit,
          {kEntryLeft, row.top, kEntryWidth, 21});
    Child(L"STATIC", kProblemStyle, 0, row.problem, {16, row.top + 22, 353, 13});
  }
  for (std::size_t i = 0; i < std::size(kLines); ++i)
    Child(L"STATIC", kTextStyle, 0, IDC_PLAN_LINE1 + static_cast<int>(i), kLines[i]);
  CreateBitButton(dialog_, IDOK, L"OK", ButtonGlyph::Ok, kBitBtn1, dpi_, formFont_.Get(),
                  WS_TABSTOP | WS_GROUP);
  CreateBitButton(dialog_, IDCANCEL, L"Cancel", ButtonGlyph::Cancel, kBitBtn2, dpi_,
                  formFont_.Get(), WS_TABSTOP);

  view_.emplace(dialog_);
  form_.emplace(ports_, locale_, *view_);
  PlaceCentred(dialog_, meter_, Scaled(kClientWidth, dpi_), Scaled(kClientHeight, dpi_));
  SendMessageW(dialog_, DM_SETDEFID, IDOK, 0);
  SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
}

INT_PTR PlanDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(wParam);
    case WM_CTLCOLORSTATIC:
      if (!IsProblem(GetDlgCtrlID(reinterpret_cast<HWND>(lParam)))) return FALSE;
      return ControlColours(reinterpret_cast<HDC>(wParam), kProblemColor);
    case WM_PAINT:
      PaintBevels({kBevel2, kBevel4});
      return TRUE;
  }
  return FALSE;
}

// OK closes only with good entries: Enter reaches it also while it is disabled. Any edit's
// change and any click of the box or a rule reads the entries again.
INT_PTR PlanDialog::OnCommand(WPARAM wParam) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  const bool edited = code == EN_CHANGE && id >= IDC_PLAN_WINDOW && id < IDC_PLAN_LINE1;
  const bool clicked = code == BN_CLICKED && (id == IDC_PLAN_WINDOW || (id >= IDC_PLAN_FREE &&
                                                                        id <= IDC_PLAN_OWN_THEN_MAIN));
  if (edited || clicked) {
    if (form_) form_->EditChange();
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

void ShowPlanDialog(HWND owner, HWND meter, const DialogPorts& ports, const Locale& locale) {
  ShowPlanDialog(owner, meter, ports, locale, WindowDpi(meter));
}

void ShowPlanDialog(HWND owner, HWND meter, const DialogPorts& ports, const Locale& locale,
                    int dpi) {
  PlanDialog dialog(meter, ports, locale, dpi);
  dialog.ShowModal(owner, kCaption, kToolDialogExStyle);
}

}  // namespace pelliton
