// One connected accounting step on a bound row, through fakes, so that the figure is the
// core's own cost: snapshot copy, description match, counting, the writes, three labels.
// Then the same step with growth on an empty and on a full usage history, with the store
// reads a step makes counted: the step never reads the history back. Under callgrind
// (instruction counts) the two come out alike.
#include <benchmark/benchmark.h>

#include "bench/full_history.h"
#include "fakes/fake_interface_table.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_store.h"
#include "metering/accounting.h"
#include "store/catalogue.h"

namespace pelliton {
namespace {

// Takes every write and keeps nothing.
class DiscardingStore : public SettingsStore {
 public:
  void WriteRegistry(RootKey, std::string_view, std::string_view, std::string_view value) override {
    benchmark::DoNotOptimize(value.data());
  }
  std::string ReadRegistry(RootKey, std::string_view, std::string_view) override {
    ++reads;
    return {};
  }
  void WriteRegistryWide(RootKey, std::string_view, std::string_view,
                         std::u16string_view) override {}
  std::u16string ReadRegistryWide(RootKey, std::string_view, std::string_view) override {
    return {};
  }
  void DeleteRegistry(RootKey, std::string_view) override {}
  void DeleteValue(RootKey, std::string_view, std::string_view) override {}
  void StopWriting() override {}
  bool KeyExists(RootKey, std::string_view) override { return true; }
  int reads = 0;
};

class DiscardingView : public MeterView {
 public:
  void SetLabel1(std::string_view text) override { benchmark::DoNotOptimize(text.data()); }
  void SetLabel2(std::string_view text) override { benchmark::DoNotOptimize(text.data()); }
  void SetLabel3(std::string_view text) override { benchmark::DoNotOptimize(text.data()); }
  void SetTimer1Enabled(bool) override {}
};

struct BoundMeter {
  explicit BoundMeter(std::size_t rowCount) {
    state.NetworkType = "Intel(R) Ethernet Connection I219-V";
    for (std::size_t i = 0; i + 1 < rowCount; ++i) {
      table.rows.push_back(testing::MakeRow("Loopback Pseudo-Interface", 1, 0, 0));
    }
    table.rows.push_back(testing::MakeRow(state.NetworkType, kOperStatusOperational, 0, 0));
    state.AdapterBound = true;
    state.AdapterRow = static_cast<std::uint8_t>(rowCount - 1);
  }
  // About 150 KB/s each way; the total kept below its ceiling.
  void Grow() {
    table.rows.back().dwInOctets += 300 * 1024;
    table.rows.back().dwOutOctets += 300 * 1024;
    if (state.TotalDataKB > 4000000000u) state.TotalDataKB = 0;
  }

  MeterState state;
  DiscardingStore store;
  testing::FakeInterfaceTable table;
  testing::FakeClock clock;
  testing::FakeLocale locale;
  DiscardingView view;
  MeterContext meter{state, store, table, clock, locale, view};
};

void ConnectedAccountingStep(benchmark::State& run) {
  BoundMeter bound(static_cast<std::size_t>(run.range(0)));
  for (auto _ : run) {
    bound.Grow();
    benchmark::DoNotOptimize(GetConnectedState(bound.meter));
  }
  if (!bound.state.AdapterBound) run.SkipWithError("the step did not stay connected");
}
BENCHMARK(ConnectedAccountingStep)->Arg(1)->Arg(4)->Arg(32)->Unit(benchmark::kNanosecond);

// Argument 0: no history stored; 1: a full one, loaded before the steps as the first tick
// after start loads it. The clock stays in one hour, so that no record closes.
void StepWithHistory(benchmark::State& run) {
  BoundMeter bound(1);
  testing::FakeStore stored;
  if (run.range(0) != 0) {
    const FullHistory full(bound.clock.Now());
    stored.Set(stored::UsageDays.name, full.days);
    stored.Set(stored::UsageHours.name, full.hours);
  }
  stored.Set(stored::TotalData.name, std::to_string(bound.state.TotalDataKB));
  bound.state.History.Load(stored);
  bound.state.TickTime = bound.clock.Now();
  for (auto _ : run) {
    bound.Grow();
    benchmark::DoNotOptimize(GetConnectedState(bound.meter));
  }
  run.counters["reads"] = benchmark::Counter(bound.store.reads, benchmark::Counter::kAvgIterations);
  if (bound.state.History.Days().size() != (run.range(0) != 0 ? kKeptDays + 1 : 1)) {
    run.SkipWithError("the history was not kept");
  }
}
BENCHMARK(StepWithHistory)->Arg(0)->Arg(1)->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace pelliton

BENCHMARK_MAIN();
