// One connected accounting step on a bound row, through fakes, so that the figure is the
// core's own cost: snapshot copy, description match, counting, four writes, three labels.
#include <benchmark/benchmark.h>

#include "fakes/fake_interface_table.h"
#include "fakes/fake_platform.h"
#include "metering/accounting.h"

namespace pelliton {
namespace {

// Takes every write and keeps nothing.
class DiscardingStore : public SettingsStore {
 public:
  void WriteRegistry(RootKey, std::string_view, std::string_view, std::string_view value) override {
    benchmark::DoNotOptimize(value.data());
  }
  std::string ReadRegistry(RootKey, std::string_view, std::string_view) override { return {}; }
  void WriteRegistryWide(RootKey, std::string_view, std::string_view,
                         std::u16string_view) override {}
  std::u16string ReadRegistryWide(RootKey, std::string_view, std::string_view) override {
    return {};
  }
  void DeleteRegistry(RootKey, std::string_view) override {}
  void DeleteValue(RootKey, std::string_view, std::string_view) override {}
  void StopWriting() override {}
  bool KeyExists(RootKey, std::string_view) override { return true; }
};

class DiscardingView : public MeterView {
 public:
  void SetLabel1(std::string_view text) override { benchmark::DoNotOptimize(text.data()); }
  void SetLabel2(std::string_view text) override { benchmark::DoNotOptimize(text.data()); }
  void SetLabel3(std::string_view text) override { benchmark::DoNotOptimize(text.data()); }
  void SetTimer1Enabled(bool) override {}
};

void ConnectedAccountingStep(benchmark::State& run) {
  const auto rowCount = static_cast<std::size_t>(run.range(0));
  MeterState state;
  DiscardingStore store;
  testing::FakeInterfaceTable table;
  testing::FakeClock clock;
  testing::FakeLocale locale;
  DiscardingView view;
  MeterContext meter{state, store, table, clock, locale, view};

  state.NetworkType = "Intel(R) Ethernet Connection I219-V";
  for (std::size_t i = 0; i + 1 < rowCount; ++i) {
    table.rows.push_back(testing::MakeRow("Loopback Pseudo-Interface", 1, 0, 0));
  }
  table.rows.push_back(testing::MakeRow(state.NetworkType, kOperStatusOperational, 0, 0));
  state.AdapterBound = true;
  state.AdapterRow = static_cast<std::uint8_t>(rowCount - 1);
  IfRow& row = table.rows.back();

  for (auto _ : run) {
    row.dwInOctets += 300 * 1024;  // about 150 KB/s each way
    row.dwOutOctets += 300 * 1024;
    if (state.TotalDataKB > 4000000000u) state.TotalDataKB = 0;
    benchmark::DoNotOptimize(GetConnectedState(meter));
  }
  if (!state.AdapterBound) run.SkipWithError("the step did not stay connected");
}
BENCHMARK(ConnectedAccountingStep)->Arg(1)->Arg(4)->Arg(32)->Unit(benchmark::kNanosecond);

}  // namespace
}  // namespace pelliton

BENCHMARK_MAIN();
