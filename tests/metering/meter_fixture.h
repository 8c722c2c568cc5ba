#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "fakes/fake_interface_table.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_store.h"
#include "metering/meter_context.h"

namespace pelliton::testing {

inline constexpr std::uint32_t kKB = 1024;

// MeterState as the start-up sequence leaves it, with every port faked.
struct MeterRig {
  MeterRig() {
    state.AdapterRow = kUnlocatedRow;
    state.CycleDay = 1;
    state.AllData = u"?? ???, ????";
    state.NetworkType = "Realtek PCIe GbE";
  }

  // The chosen connection at `row` of a table of `rowCount` rows, with its readings in KB.
  void AddRows(std::size_t rowCount, std::size_t chosen, std::uint32_t inKB, std::uint32_t outKB,
               std::uint32_t status = kOperStatusOperational) {
    for (std::size_t i = 0; i < rowCount; ++i) {
      table.rows.push_back(i == chosen ? MakeRow(state.NetworkType, status, inKB * kKB, outKB * kKB)
                                       : MakeRow("Other " + std::to_string(i), 1, 0, 0));
    }
  }

  // Bound at `row` with base readings in KB, as after a locating tick (which stored them).
  void Bind(std::uint8_t row, std::uint32_t prevDownKB, std::uint32_t prevUpKB) {
    state.Kept = MeterState::Keeping::Sealed;
    state.AdapterBound = true;
    state.AdapterRow = row;
    state.PrevDownKB = prevDownKB;
    state.PrevUpKB = prevUpKB;
  }

  IfRow& Chosen() { return table.rows.at(state.AdapterRow); }

  MeterState state;
  FakeStore store;
  FakeInterfaceTable table;
  FakeClock clock;
  FakeLocale locale;
  FakeView view;
  MeterContext meter{state, store, table, clock, locale, view};
};

class MeterTest : public ::testing::Test, public MeterRig {};

}  // namespace pelliton::testing
