// Fuzzes the stored forms of the plan: the figures beside the total, a day record with its
// off-peak part, and the dialog's times of day. Any text reads as a form within the bounds or
// as none, and what is written reads back.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "metering/history/usage_text.h"
#include "metering/plan/plan_figures.h"

namespace {

using namespace pelliton;

void Check(bool invariant) {
  if (!invariant) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto figures = ParsePlanFigures(text))
    Check(ParsePlanFigures(FormatPlanFigures(*figures)) == figures);
  for (std::uint32_t total : {0u, 1000u, 4294967295u}) {
    const PlanFigures settled = SettledPlanFigures(text, total);
    Check(settled.total == total && settled.windowKB <= total && settled.addedKB == 0);
  }
  if (const auto day = ParseDayToken(text)) {
    Check(day->offPeakKB <= kLargestRecordKB);
    Check(ParseDayToken(DayToken(*day)) == day);
  }
  if (const auto seal = ParseSealToken(text)) Check(ParseSealToken(SealToken(*seal)) == seal);
  const TimeEntry time = ParseTimeOfDay(text);
  Check(time.problem.empty() ? time.minutes < 1440 : time.minutes == 0);
  return 0;
}
