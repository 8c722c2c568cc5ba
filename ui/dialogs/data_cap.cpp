#include "ui/dialogs/data_cap.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>

#include "metering/plan/allowance.h"
#include "metering/history/usage_history.h"

namespace pelliton {

namespace {

// The cycle's total as the user enters it, in GB as the allowance is; nothing when empty.
struct UsedEntry {
  std::optional<std::uint32_t> totalKB;
  std::string problem;
};

UsedEntry ParseUsedGB(std::string_view text, char decimal) {
  if (text.find_first_not_of(" \t") == std::string_view::npos) return {};
  const AllowanceEntry entry = ParseAllowanceGB(text, decimal);
  if (!entry.problem.empty()) return {std::nullopt, entry.problem};
  const std::uint64_t kilobytes = std::uint64_t{entry.capMB} * 1024;
  return {static_cast<std::uint32_t>(std::min<std::uint64_t>(kilobytes, UINT32_MAX)), {}};
}

struct Entries {
  AllowanceEntry allowance;
  WarningEntry warning;
  UsedEntry used;
  bool Good() const {
    return allowance.problem.empty() && warning.problem.empty() && used.problem.empty();
  }
};

Entries Read(const DataCapDialogView& view, const Locale& locale) {
  const char decimal = locale.NumberSeparators().decimal;
  return {ParseAllowanceGB(view.AllowanceText(), decimal), ParseWarningPercent(view.WarningText()),
          ParseUsedGB(view.UsedText(), decimal)};
}

}  // namespace

TDataCapForm::TDataCapForm(const DialogPorts& ports, const Locale& locale, DataCapDialogView& view)
    : ports_(ports), locale_(locale), view_(view) {}

void TDataCapForm::FormActivate() {
  shown_ = ReadAllowance(ports_.store);
  view_.SetEntries(FormatAllowanceGB(shown_.capMB, locale_.NumberSeparators().decimal),
                   std::to_string(shown_.warningPercent));
  view_.SetCycleLines(CycleLines(ports_.state, shown_, ports_.clock.Now(), locale_));
  EditChange();
}

void TDataCapForm::EditChange() {
  const Entries entries = Read(view_, locale_);
  view_.SetProblems(entries.allowance.problem, entries.warning.problem);
  view_.SetUsedProblem(entries.used.problem);
  view_.SetOkEnabled(entries.Good());
}

bool TDataCapForm::BitBtn1Click() {
  const Entries entries = Read(view_, locale_);
  if (!entries.Good()) return false;
  const Allowance entered = EnteredAllowance(shown_, view_.AllowanceText(), view_.WarningText(),
                                             locale_.NumberSeparators().decimal);
  if (entered.capMB != shown_.capMB || entered.warningPercent != shown_.warningPercent)
    StoreAllowance(ports_.state, ports_.store, entered.capMB, entered.warningPercent);
  if (entries.used.totalKB) {
    CorrectCycleTotal(ports_.state, ports_.store, ports_.clock.Now(), *entries.used.totalKB);
  }
  return true;
}

void TDataCapForm::FormDestroy() {
  RaiseMeter(ports_.window);
}

}  // namespace pelliton
