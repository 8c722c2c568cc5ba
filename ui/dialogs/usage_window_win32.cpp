#include "ui/dialogs/usage_window_win32.h"

#include <windowsx.h>

#include <optional>
#include <string>

#include "metering/plan/cycle.h"
#include "metering/plan/plan_usage.h"
#include "metering/plan/plan_view.h"
#include "metering/history/usage_history.h"
#include "ui/ansi_text_win32.h"
#include "ui/dialogs/bit_button_win32.h"
#include "ui/dialogs/modal_dialog_win32.h"
#include "ui/dialogs/usage_chart_win32.h"
#include "ui/dialogs/usage_export_win32.h"
#include "ui/dialogs/usage_window.h"
#include "ui/error_handler_win32.h"
#include "ui/ids.h"
#include "ui/subclass_win32.h"

namespace pelliton {

namespace {

namespace chr = std::chrono;

constexpr wchar_t kCaption[] = L"Usage History";
constexpr wchar_t kKeysProperty[] = L"PellitonUsageKeys";
// The dialog frame, resizable; sizes in pixels at 96 DPI.
constexpr DWORD kStyle = kDialogStyle | WS_THICKFRAME;
constexpr int kClientWidth = 720, kClientHeight = 480;
constexpr int kSmallestWidth = 520, kSmallestHeight = 360;
constexpr int kPad = 8, kButtonHeight = 23, kLineHeight = 16;
constexpr wchar_t kFontFace[] = L"MS Sans Serif";
constexpr int kFontHeight = 11;
constexpr int kHourChartPercent = 40;  // of the room for the charts, when the hours show

// Page Up and Page Down step through the cycles wherever the focus is, also on a button.
LRESULT CALLBACK ButtonKeys(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && (wParam == VK_PRIOR || wParam == VK_NEXT)) {
    const int id = wParam == VK_PRIOR ? IDC_HIST_EARLIER : IDC_HIST_LATER;
    PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    return 0;
  }
  return CallPrevious(button, kKeysProperty, message, wParam, lParam);
}

chr::sys_days Today(const LocalDateTime& now) {
  const chr::year_month_day date{chr::year{now.Year}, chr::month{now.Month}, chr::day{now.Day}};
  return date.ok() ? chr::sys_days{date} : chr::sys_days{};
}

UsageWindowModel BuildModel(const DialogPorts& ports, const Locale& locale) {
  const LocalDateTime now = ports.clock.Now();
  const chr::sys_days today = Today(now);
  const UsageHistory& history = ReadUsageHistory(ports.state, ports.store);
  UsageRecords records{history.Days(), {}};
  for (const HourUsage& hour : history.Hours())
    if (history.HoursKept(hour.date)) records.hours.push_back(hour);
  std::optional<chr::sys_days> earliest;
  for (const DayUsage& day : records.days) {
    const chr::year_month_day date{chr::year{day.date.year}, chr::month{day.date.month},
                                   chr::day{day.date.day}};
    if (date.ok() && (!earliest || chr::sys_days{date} < *earliest)) earliest = date;
  }
  const std::optional<CycleSpan> span = CurrentCycle(ports.state, now, locale);
  const CycleDays current =
      span ? CycleDays{span->start, span->end} : CycleDays{today, today + chr::days{1}};
  const std::uint64_t allowanceKB = std::uint64_t{ReadAllowance(ports.store).capMB} * 1024;
  UsageWindowModel model(ViewableCycles(current, ports.state.AllData, locale, earliest),
                         std::move(records), allowanceKB, today, locale);
  model.SetPlan(ReadPlanSettings(ports.store));
  return model;
}

// Each allowance that is set, on one line: "Main: 12.34 GB of 50 GB (24 %); Today: ...".
std::string PlanLine(const DialogPorts& ports, const Locale& locale) {
  KnownPlanSettings(ports.state, ports.store);
  KnownPlanFigures(ports.state, ports.store);
  std::string text;
  for (const std::string& line :
       AllowanceLines(ports.state, ReadAllowance(ports.store), ports.clock.Now(), locale))
    text.append(text.empty() ? "" : "; ").append(line);
  return text;
}

class UsageWindow final : public ModalDialog, private ChartOwner {
 public:
  UsageWindow(HWND meter, const DialogPorts& ports, const Locale& locale, int dpi)
      : ModalDialog(dpi), meter_(meter), ports_(ports), locale_(locale) {}
  // Raises the meter once the window is gone, whatever ended the showing.
  ~UsageWindow() override {
    Guarded([&] { RaiseMeter(ports_.window); });
  }

 private:
  void OnInitDialog() override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  INT_PTR OnCommand(WPARAM wParam);
  HWND Button(int id, const wchar_t* text);
  void Layout();
  void OnDpiChanged() override;
  void Refresh();
  void Export();
  int S(int pixelsAt96) const { return Scaled(pixelsAt96, dpi_); }

  // ChartOwner
  std::optional<ChartInput> Input(HWND chart) const override;
  std::optional<std::size_t> Chosen(HWND chart) const override;
  void ClickedSlot(std::size_t slot) override;
  void PressedKey(WPARAM key) override;

  HWND meter_;
  DialogPorts ports_;
  const Locale& locale_;
  DialogFont font_;
  std::optional<UsageWindowModel> model_;
  UsageChart days_, hours_;
  HWND dayChart_ = nullptr, hourChart_ = nullptr;
};

void UsageWindow::OnInitDialog() {
  font_ = Font(kFontFace, kFontHeight);
  model_.emplace(BuildModel(ports_, locale_));
  // Creation order is the tab order: the chart, <, >, Export..., Close.
  const Separators separators = locale_.NumberSeparators();
  days_ = {{font_.Get(), dpi_, separators, true}, this};
  hours_ = {{font_.Get(), dpi_, separators, false}, this};
  dayChart_ = CreateUsageChart(dialog_, IDC_HIST_CHART, days_);
  for (HWND button : {Button(IDC_HIST_EARLIER, L"<"), Button(IDC_HIST_LATER, L">"),
                      Button(IDC_HIST_EXPORT, L"Export...")})
    Subclass(button, kKeysProperty, ButtonKeys);
  HWND close = CreateBitButton(dialog_, IDC_HIST_CLOSE, L"&Close", ButtonGlyph::Close,
                               {0, 0, 75, kButtonHeight}, dpi_, font_.Get(), WS_TABSTOP);
  Subclass(close, kKeysProperty, ButtonKeys);
  for (int id : {IDC_HIST_CYCLE, IDC_HIST_DAY, IDC_HIST_PLAN}) {
    CreateChild(dialog_, L"STATIC", L"", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, id, {0, 0, 0, 0}, dpi_,
                font_.Get());
  }
  hourChart_ = CreateUsageChart(dialog_, IDC_HIST_HOURS, hours_);
  SetDlgItemTextW(dialog_, IDC_HIST_PLAN, WidenAnsi(PlanLine(ports_, locale_)).c_str());

  PlaceCentred(dialog_, meter_, S(kClientWidth), S(kClientHeight));
  Refresh();
  SendMessageW(dialog_, DM_SETDEFID, IDC_HIST_CLOSE, 0);
  SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dayChart_), TRUE);
}

HWND UsageWindow::Button(int id, const wchar_t* text) {
  return CreateChild(dialog_, L"BUTTON", text, BS_PUSHBUTTON | WS_TABSTOP, 0, id, {0, 0, 0, 0},
                     dpi_, font_.Get());
}

INT_PTR UsageWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      return OnCommand(wParam);
    case WM_SIZE:
      Layout();
      return TRUE;
    case WM_GETMINMAXINFO: {
      RECT frame{0, 0, S(kSmallestWidth), S(kSmallestHeight)};
      AdjustWindowRectEx(&frame, kStyle, FALSE, kToolDialogExStyle);
      auto* limits = reinterpret_cast<MINMAXINFO*>(lParam);
      limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
      return TRUE;
    }
  }
  return FALSE;
}

// Esc and the close box end the window as Close does; Enter presses the focused button, or
// Close from the chart.
INT_PTR UsageWindow::OnCommand(WPARAM wParam) {
  switch (LOWORD(wParam)) {
    case IDC_HIST_EARLIER:
      model_->Step(1);
      break;
    case IDC_HIST_LATER:
      model_->Step(-1);
      break;
    case IDC_HIST_EXPORT:
      Export();
      return TRUE;
    case IDC_HIST_CLOSE:
    case IDOK:
    case IDCANCEL:
      EndDialog(dialog_, IDCLOSE);
      return TRUE;
    default:
      return FALSE;
  }
  Refresh();
  return TRUE;
}

void UsageWindow::Layout() {
  RECT client{};
  GetClientRect(dialog_, &client);
  const int w = client.right, h = client.bottom;
  const int pad = S(kPad), button = S(kButtonHeight), line = S(kLineHeight);
  auto place = [&](HWND control, int x, int y, int cx, int cy) {
    SetWindowPos(control, nullptr, x, y, std::max(cx, 0), std::max(cy, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
  };
  auto item = [&](int id) { return GetDlgItem(dialog_, id); };
  place(item(IDC_HIST_EARLIER), pad, pad, S(28), button);
  place(item(IDC_HIST_LATER), pad + S(32), pad, S(28), button);
  place(item(IDC_HIST_CYCLE), pad + S(68), pad + S(5), w - S(68) - 2 * pad, line);
  const int bottom = h - pad - button;
  place(item(IDC_HIST_CLOSE), w - pad - S(75), bottom, S(75), button);
  place(item(IDC_HIST_EXPORT), w - pad - S(75 + 8 + 90), bottom, S(90), button);
  place(item(IDC_HIST_PLAN), pad, bottom + (button - line) / 2, w - 3 * pad - S(75 + 8 + 90), line);

  const int top = pad + button + S(6);
  const int room = bottom - S(8) - top - line - S(6);
  const bool hours = model_->HourChart().has_value();
  const int dayHeight = hours ? room - room * kHourChartPercent / 100 : room;
  place(dayChart_, pad, top, w - 2 * pad, dayHeight);
  place(item(IDC_HIST_DAY), pad, top + dayHeight + S(3), w - 2 * pad, line);
  place(hourChart_, pad, top + dayHeight + line + S(6), w - 2 * pad, room - dayHeight);
  ShowWindow(hourChart_, hours ? SW_SHOWNA : SW_HIDE);
  InvalidateRect(dialog_, nullptr, TRUE);
}

// The charts draw in the new font at the new DPI; the controls are placed again.
void UsageWindow::OnDpiChanged() {
  for (UsageChart* chart : {&days_, &hours_}) {
    chart->look.font = font_.Get();
    chart->look.dpi = dpi_;
  }
  Layout();
}

// The texts, the buttons and the charts after the cycle or the day changed.
void UsageWindow::Refresh() {
  SetDlgItemTextW(dialog_, IDC_HIST_CYCLE, WidenAnsi(model_->CycleLine()).c_str());
  SetDlgItemTextW(dialog_, IDC_HIST_DAY, WidenAnsi(model_->DayLine()).c_str());
  HWND focus = GetFocus();
  for (auto [id, enabled] : {std::pair{IDC_HIST_EARLIER, model_->CanStepBack()},
                             std::pair{IDC_HIST_LATER, model_->CanStepForward()}}) {
    HWND button = GetDlgItem(dialog_, id);
    if (!enabled && focus == button)
      SendMessageW(dialog_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(dayChart_), TRUE);
    EnableWindow(button, enabled);
  }
  Layout();
  InvalidateRect(dayChart_, nullptr, FALSE);
  InvalidateRect(hourChart_, nullptr, FALSE);
}

// Three files: the days under the chosen name, the hours and the finished cycles beside it.
void UsageWindow::Export() {
  const std::wstring path = AskExportFileName(dialog_);
  if (path.empty()) return;
  const UsageHistory& history = ReadUsageHistory(ports_.state, ports_.store);
  ReplaceFile(path, DaysCsv(history));
  ReplaceFile(CompanionFileName(path, L"-hours"), HoursCsv(history));
  ReplaceFile(CompanionFileName(path, L"-cycles"),
              CyclesCsv(history, ports_.state.AllData, locale_));
}

std::optional<ChartInput> UsageWindow::Input(HWND chart) const {
  if (chart == dayChart_) return model_->DayChart();
  return model_->HourChart();
}

std::optional<std::size_t> UsageWindow::Chosen(HWND chart) const {
  return chart == dayChart_ ? model_->Chosen() : std::nullopt;
}

void UsageWindow::ClickedSlot(std::size_t slot) {
  model_->Choose(slot);
  Refresh();
}

void UsageWindow::PressedKey(WPARAM key) {
  if (key == VK_LEFT || key == VK_RIGHT) {
    model_->MoveChoice(key == VK_LEFT ? -1 : 1);
  } else if (key == VK_PRIOR || key == VK_NEXT) {
    model_->Step(key == VK_PRIOR ? 1 : -1);
  } else {
    return;
  }
  Refresh();
}

}  // namespace

void ShowUsageHistoryWindow(HWND owner, HWND meter, const DialogPorts& ports,
                            const Locale& locale) {
  UsageWindow window(meter, ports, locale, WindowDpi(meter));
  window.ShowModal(owner, kCaption, kToolDialogExStyle, kStyle);
}

}  // namespace pelliton
