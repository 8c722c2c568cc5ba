#pragma once

#include <cstdint>

#include "metering/base/clock.h"
#include "metering/meter_context.h"
#include "metering/meter_state.h"
#include "metering/plan/plan.h"
#include "metering/plan/plan_figures.h"
#include "store/settings_store.h"

namespace pelliton {

// The plan as the meter keeps it in memory: the settings, read once and again after every
// store of them; and the figures beside the total ("PlanData"), read on first use. Neither
// read fails: a bad stored value reads as its default.
const PlanSettings& KnownPlanSettings(MeterState& state, SettingsStore& store) noexcept;
PlanFigures KnownPlanFigures(MeterState& state, SettingsStore& store) noexcept;
// Stores the settings (StorePlanSettings) and keeps them in `state`.
void StorePlanSettings(MeterState& state, SettingsStore& store, const PlanSettings& settings);

// The tick's one call for the plan, where it stores the usage history, between the stored
// readings and "TotalData" (which MeterState already holds with the growth): the growth goes
// to the usage history with its off-peak part, then the plan's figures are stored with the
// total. `stoppedKB`, part of the growth, passed while the meter was stopped: it is split by
// the share of the stopped span each window covered. So is the whole growth of a tick that
// comes more than two minutes after this run's last counted one. Store failures propagate,
// and the figures are read from the store again on their next use.
void RecordPlanUsage(MeterContext& meter, std::uint64_t downKB, std::uint64_t upKB,
                     std::uint64_t stoppedKB);

// Before a restart of the cycle writes "TotalData" 0: the cycle's figures restart with it (the
// daily allowance's day goes on). A failed write propagates, as the restart's own do.
void RestartPlanFigures(MeterState& state, SettingsStore& store);

// What counts toward each allowance now, in KB: the main one has the cycle's total less the
// window's traffic that goes elsewhere.
std::uint64_t MainAllowanceUsedKB(MeterState& state, SettingsStore& store) noexcept;
std::uint64_t OffPeakAllowanceUsedKB(MeterState& state, SettingsStore& store) noexcept;
std::uint64_t DailyAllowanceUsedKB(MeterState& state, SettingsStore& store,
                                   const LocalDateTime& now) noexcept;

}  // namespace pelliton
