#include "ui/dialogs/plan_hours.h"

#include <algorithm>

#include "metering/plan/allowance.h"
#include "metering/plan/plan_usage.h"

namespace pelliton {

namespace {

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string& Problem(PlanProblems& problems, PlanProblem which) {
  return problems[static_cast<std::size_t>(which)];
}

// An allowance in GB; `none` is what an empty entry means (nothing: it is refused).
std::uint32_t ReadGB(std::string_view text, char decimal, bool emptyIsNone, std::string& problem) {
  if (emptyIsNone && Trimmed(text).empty()) return 0;
  AllowanceEntry entry = ParseAllowanceGB(text, decimal);
  problem = std::move(entry.problem);
  return entry.capMB;
}

int ReadPercent(std::string_view text, std::string& problem) {
  WarningEntry entry = ParseWarningPercent(text);
  problem = std::move(entry.problem);
  return entry.percent;
}

std::uint8_t ReadHour(std::string_view text, std::string& problem) {
  text = Trimmed(text);
  const bool digits = !text.empty() && text.size() <= 2 &&
                      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
  const int hour = digits ? std::stoi(std::string(text)) : 0;
  if (!digits || hour > 23) problem = "A whole hour from 0 to 23.";
  return static_cast<std::uint8_t>(hour);
}

void ReadWindow(const PlanEntries& entries, const PlanEntries& shown, PlanReading& reading) {
  PlanSettings& plan = reading.settings;
  std::string& problem = Problem(reading.problems, PlanProblem::Window);
  if (entries.from != shown.from || entries.to != shown.to) {
    const TimeEntry from = ParseTimeOfDay(entries.from);
    const TimeEntry to = ParseTimeOfDay(entries.to);
    problem = !from.problem.empty() ? from.problem : to.problem;
    plan.windowStart = from.minutes;
    plan.windowEnd = to.minutes;
  }
  if (problem.empty() && plan.windowStart == plan.windowEnd)
    problem = "The hours cannot end when they begin.";
  plan.rule = entries.rule;
}

}  // namespace

bool PlanReading::Good() const {
  return std::all_of(problems.begin(), problems.end(), [](const std::string& p) { return p.empty(); });
}

PlanEntries EntriesOf(const PlanSettings& settings, char decimal) {
  return {settings.hasWindow,
          FormatTimeOfDay(settings.windowStart),
          FormatTimeOfDay(settings.windowEnd),
          settings.rule,
          FormatAllowanceGB(settings.offPeakCapMB, decimal),
          std::to_string(settings.offPeakWarningPercent),
          settings.dailyCapMB == 0 ? std::string() : FormatAllowanceGB(settings.dailyCapMB, decimal),
          std::to_string(settings.dailyWarningPercent),
          std::to_string(settings.dailyResetHour)};
}

PlanReading ReadPlanEntries(const PlanEntries& entries, const PlanEntries& shown,
                            const PlanSettings& stored, char decimal) {
  PlanReading reading{stored, {}};
  PlanSettings& plan = reading.settings;
  const auto changed = [&](std::string PlanEntries::*entry) { return entries.*entry != shown.*entry; };
  plan.hasWindow = entries.window;
  if (plan.hasWindow) {
    ReadWindow(entries, shown, reading);
    if (plan.rule != OffPeakRule::Free) {
      std::string& problem = Problem(reading.problems, PlanProblem::OffPeak);
      if (changed(&PlanEntries::offPeak) || plan.offPeakCapMB == 0)
        plan.offPeakCapMB = ReadGB(entries.offPeak, decimal, false, problem);
      if (problem.empty() && plan.offPeakCapMB == 0) problem = "More than 0 GB.";
      if (changed(&PlanEntries::offPeakWarning))
        plan.offPeakWarningPercent =
            ReadPercent(entries.offPeakWarning, Problem(reading.problems, PlanProblem::OffPeakWarning));
    }
  }
  if (changed(&PlanEntries::daily))
    plan.dailyCapMB = ReadGB(entries.daily, decimal, true, Problem(reading.problems, PlanProblem::Daily));
  if (changed(&PlanEntries::dailyWarning))
    plan.dailyWarningPercent =
        ReadPercent(entries.dailyWarning, Problem(reading.problems, PlanProblem::DailyWarning));
  if (changed(&PlanEntries::resetHour))
    plan.dailyResetHour = ReadHour(entries.resetHour, Problem(reading.problems, PlanProblem::ResetHour));
  return reading;
}

TPlanForm::TPlanForm(const DialogPorts& ports, const Locale& locale, PlanDialogView& view)
    : ports_(ports), locale_(locale), view_(view) {}

void TPlanForm::FormActivate() {
  stored_ = ReadPlanSettings(ports_.store);
  shown_ = EntriesOf(stored_, locale_.NumberSeparators().decimal);
  view_.SetEntries(shown_);
  view_.SetLines(Lines());
  EditChange();
}

// Where the cycle stands, and each allowance that is set.
std::vector<std::string> TPlanForm::Lines() const {
  KnownPlanSettings(ports_.state, ports_.store);
  KnownPlanFigures(ports_.state, ports_.store);
  return CycleLines(ports_.state, ReadAllowance(ports_.store), ports_.clock.Now(), locale_);
}

void TPlanForm::EditChange() {
  const PlanEntries entries = view_.Entries();
  const PlanReading reading =
      ReadPlanEntries(entries, shown_, stored_, locale_.NumberSeparators().decimal);
  view_.SetProblems(reading.problems);
  view_.EnableEntries(entries.window, entries.window && entries.rule != OffPeakRule::Free);
  view_.SetOkEnabled(reading.Good());
}

bool TPlanForm::BitBtn1Click() {
  const PlanReading reading =
      ReadPlanEntries(view_.Entries(), shown_, stored_, locale_.NumberSeparators().decimal);
  if (!reading.Good()) return false;
  if (reading.settings != stored_) StorePlanSettings(ports_.state, ports_.store, reading.settings);
  return true;
}

void TPlanForm::FormDestroy() {
  RaiseMeter(ports_.window);
}

}  // namespace pelliton
