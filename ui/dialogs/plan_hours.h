#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "metering/base/locale.h"
#include "metering/plan/plan.h"
#include "ui/dialogs/dialog_ports.h"

namespace pelliton {

// The entries of "Plan Hours" as the dialog shows them. Texts are in the system code page.
struct PlanEntries {
  bool window = false;  // the off-peak hours are on
  std::string from;     // "hh:mm"
  std::string to;
  OffPeakRule rule = OffPeakRule::Free;
  std::string offPeak;  // GB
  std::string offPeakWarning;
  std::string daily;  // GB; empty: none
  std::string dailyWarning;
  std::string resetHour;
  bool operator==(const PlanEntries&) const = default;
};

// The places where the dialog says what is wrong, under each entry (the two times share one).
enum class PlanProblem { Window, OffPeak, OffPeakWarning, Daily, DailyWarning, ResetHour, Count };
using PlanProblems = std::array<std::string, static_cast<std::size_t>(PlanProblem::Count)>;

// "Plan Hours" as its handlers see it.
class PlanDialogView {
 public:
  virtual ~PlanDialogView() = default;
  virtual PlanEntries Entries() const = 0;
  virtual void SetEntries(const PlanEntries& entries) = 0;
  virtual void SetProblems(const PlanProblems& problems) = 0;
  // The window's entries take input only while the window is on, the off-peak allowance's
  // only while its traffic has an allowance.
  virtual void EnableEntries(bool window, bool offPeakAllowance) = 0;
  virtual void SetLines(const std::vector<std::string>& lines) = 0;
  virtual void SetOkEnabled(bool enabled) = 0;
};

// What good entries give and why the others are refused. An entry left as it was shown keeps
// the stored value; an entry that takes no input is not read.
struct PlanReading {
  PlanSettings settings;
  PlanProblems problems;
  bool Good() const;
};
PlanReading ReadPlanEntries(const PlanEntries& entries, const PlanEntries& shown,
                            const PlanSettings& stored, char decimal);
PlanEntries EntriesOf(const PlanSettings& settings, char decimal);

// The handlers of the plan dialog. A new instance goes with every showing; nothing is stored
// before OK.
class TPlanForm {
 public:
  TPlanForm(const DialogPorts& ports, const Locale& locale, PlanDialogView& view);

  // The stored plan in the entries, and each allowance's lines.
  void FormActivate();
  // An entry changed: the reasons, which entries take input, OK only while all are good.
  void EditChange();
  // Stores the plan when the entries are good and changed it; false leaves the dialog open.
  // A store's failure propagates, with nothing of the plan changed.
  bool BitBtn1Click();
  // Raises the meter as Stay On Top says once the dialog is gone.
  void FormDestroy();

 private:
  std::vector<std::string> Lines() const;

  DialogPorts ports_;
  const Locale& locale_;
  PlanDialogView& view_;
  PlanSettings stored_;
  PlanEntries shown_;
};

}  // namespace pelliton
