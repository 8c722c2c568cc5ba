#include <cstddef>
#include <cstdint>

#include "metering/accounting.h"
#include "metering/meter_fixture.h"
#include "metering/sources/connection_set.h"
#include "metering/sources/set_counting.h"

namespace pelliton {
namespace {

using testing::kKB;
using testing::MakeRow;
using testing::MeterTest;

constexpr std::uint32_t kUp = kOperStatusOperational;

class SetCounting : public MeterTest {};

// The set's step alone: what it tells the tick, and nothing shown or reloaded, which the tick
// does after it.
TEST_F(SetCounting, TheStepTellsWhatCountedAndWhatWasBound) {
  struct {
    const char* name;
    bool bound;
    std::uint32_t status;
    std::size_t row;  // where the connection is; 1: nowhere
    bool counted, boundAfresh, boundUp;
  } const cases[] = {
      {"bound and up: counts", true, kUp, 0, true, false, false},
      {"bound and down: waits", true, 2, 0, false, false, false},
      {"found and up: bound", false, kUp, 0, false, true, true},
      {"found and down: bound", false, 2, 0, false, true, false},
      {"not found", false, kUp, 1, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    table.rows.clear();
    AddRows(1, c.row, 150, 20, c.status);
    Bind(0, 100, 20);
    state.AdapterBound = c.bound;
    state.TotalDataKB = 7;
    store.Set("TotalData", "500");
    view.label1 = "before";
    const SetTick tick = CountSetTick(state, store, clock, ReadConnections(table));
    EXPECT_EQ(tick.counted, c.counted);
    EXPECT_EQ(tick.bound, c.boundAfresh);
    EXPECT_EQ(tick.boundUp, c.boundUp);
    EXPECT_EQ(tick.growth.downKB, c.counted ? 50u : 0u);
    EXPECT_EQ(state.TotalDataKB, 7u);
    EXPECT_EQ(view.label1, "before");
  }
}

struct GrowthCase {
  const char* name;
  std::uint32_t prevKB, curOctets;
  std::uint32_t delta;
};

TEST_F(SetCounting, CountersWrapOrResetInEachDirection) {
  const GrowthCase cases[] = {
      {"growth", 100, 150 * kKB, 50},
      {"no growth", 100, 100 * kKB, 0},
      {"from the top of the range", 4194304, 5 * kKB, 5},
      {"across the wrap", 4194300, 5 * kKB, 9},
      {"half the range is still a wrap", 2097152, 0, 2097152},
      {"more than half is a reset", 2097151, 0, 0},
      {"reset counts from zero", 1000000, 7 * kKB, 7},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    for (bool down : {true, false}) {
      table.rows = {
          MakeRow(state.NetworkType, kUp, down ? c.curOctets : 0, down ? 0 : c.curOctets)};
      Bind(0, down ? c.prevKB : 0, down ? 0 : c.prevKB);
      state.TotalDataKB = 1;
      ASSERT_EQ(GetConnectedState(meter), 1);
      EXPECT_EQ(down ? state.DownDeltaKB : state.UpDeltaKB, c.delta);
      EXPECT_EQ(down ? state.UpDeltaKB : state.DownDeltaKB, 0u);
      EXPECT_EQ(state.TotalDataKB, 1 + c.delta);
      EXPECT_EQ(state.PrevDownKB, state.CurDownKB);
      EXPECT_EQ(state.PrevUpKB, state.CurUpKB);
    }
  }
}

// One tick of the chosen interface: its 64-bit counter (the row shows the low 32 bits),
// whether the platform can read the 64-bit one, and the interface index of the row.
struct WideTick {
  const char* name;
  std::uint64_t octets;
  bool has64;
  std::uint32_t index;
  std::uint8_t result;
  std::uint32_t delta;
};

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;
constexpr std::uint32_t kGiBInKB = 1048576;

TEST_F(SetCounting, SixtyFourBitCountersCountWhatThe32BitOnesLose) {
  const WideTick ticks[] = {
      {"locates, takes both bases", kGiB, true, 7, 1, 0},
      {"wraps 2^32 twice in one tick", 11 * kGiB, true, 7, 1, 10 * kGiBInKB},
      {"no 64-bit reading: the wrap rule", 12 * kGiB, false, 7, 1, kGiBInKB},
      {"64-bit back: no base yet, the wrap rule", 27 * kGiB / 2, true, 7, 1, 3 * kGiBInKB / 2},
      {"64-bit again", 20 * kGiB, true, 7, 1, 13 * kGiBInKB / 2},
      {"another interface in the row: the wrap rule", 30 * kGiB, true, 8, 1, 2 * kGiBInKB},
      {"its own 64-bit growth", 30 * kGiB + 5 * kKB, true, 8, 1, 5},
      {"a reset counts from zero", 7 * kKB, true, 8, 1, 7},
      {"more than 32 bits of KB in a tick", (std::uint64_t{1} << 42) + 7 * kKB, true, 8, 0, 0},
  };
  for (bool down : {true, false}) {
    SCOPED_TRACE(down ? "received" : "sent");
    table.rows = {MakeRow("Other", 1, 0, 0), MakeRow(state.NetworkType, kUp, 0, 0)};
    state.AdapterBound = false;
    store.Set("TotalData", "0");  // what the locating tick loads
    std::uint32_t total = 0;
    for (const WideTick& t : ticks) {
      SCOPED_TRACE(t.name);
      IfRow& row = table.rows[1];
      row.dwIndex = t.index;
      (down ? row.dwInOctets : row.dwOutOctets) = static_cast<std::uint32_t>(t.octets);
      table.counters64.clear();
      if (t.has64) table.counters64[t.index] = {down ? t.octets : 0, down ? 0 : t.octets};
      ASSERT_EQ(GetConnectedState(meter), t.result);
      if (t.result == 0) continue;
      EXPECT_EQ(down ? state.DownDeltaKB : state.UpDeltaKB, t.delta);
      EXPECT_EQ(down ? state.UpDeltaKB : state.DownDeltaKB, 0u);
      EXPECT_EQ(state.TotalDataKB, total += t.delta);
    }
    EXPECT_FALSE(state.AdapterBound);
  }
}

}  // namespace
}  // namespace pelliton
