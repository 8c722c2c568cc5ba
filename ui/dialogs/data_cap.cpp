#include "ui/dialogs/data_cap.h"

#include <string>

#include "metering/allowance.h"

namespace pelliton {

namespace {

struct Entries {
  AllowanceEntry allowance;
  WarningEntry warning;
  bool Good() const { return allowance.problem.empty() && warning.problem.empty(); }
};

Entries Read(const DataCapDialogView& view, const Locale& locale) {
  return {ParseAllowanceGB(view.AllowanceText(), locale.NumberSeparators().decimal),
          ParseWarningPercent(view.WarningText())};
}

}  // namespace

TDataCapForm::TDataCapForm(const DialogPorts& ports, const Locale& locale, DataCapDialogView& view)
    : ports_(ports), locale_(locale), view_(view) {}

void TDataCapForm::FormActivate() {
  shown_ = ReadAllowance(ports_.store);
  shownAllowance_ = FormatAllowanceGB(shown_.capMB, locale_.NumberSeparators().decimal);
  shownWarning_ = std::to_string(shown_.warningPercent);
  view_.SetEntries(shownAllowance_, shownWarning_);
  view_.SetCycleLines(CycleLines(ports_.state, shown_, ports_.clock.Now(), locale_));
  EditChange();
}

void TDataCapForm::EditChange() {
  const Entries entries = Read(view_, locale_);
  view_.SetProblems(entries.allowance.problem, entries.warning.problem);
  view_.SetOkEnabled(entries.Good());
}

bool TDataCapForm::BitBtn1Click() {
  const Entries entries = Read(view_, locale_);
  if (!entries.Good()) return false;
  const bool capKept = view_.AllowanceText() == shownAllowance_;
  const bool levelKept = view_.WarningText() == shownWarning_;
  if (capKept && levelKept) return true;
  StoreAllowance(ports_.state, ports_.store, capKept ? shown_.capMB : entries.allowance.capMB,
                 levelKept ? shown_.warningPercent : entries.warning.percent);
  return true;
}

void TDataCapForm::FormDestroy() {
  RaiseMeter(ports_.window);
}

}  // namespace pelliton
