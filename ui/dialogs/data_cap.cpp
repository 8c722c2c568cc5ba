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
  view_.SetEntries(FormatAllowanceGB(shown_.capMB, locale_.NumberSeparators().decimal),
                   std::to_string(shown_.warningPercent));
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
  const Allowance entered = EnteredAllowance(shown_, view_.AllowanceText(), view_.WarningText(),
                                             locale_.NumberSeparators().decimal);
  if (entered.capMB != shown_.capMB || entered.warningPercent != shown_.warningPercent)
    StoreAllowance(ports_.state, ports_.store, entered.capMB, entered.warningPercent);
  return true;
}

void TDataCapForm::FormDestroy() {
  RaiseMeter(ports_.window);
}

}  // namespace pelliton
