#include "metering/sources/router_meter.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <utility>

#include "metering/sources/connection_set.h"
#include "metering/sources/readings.h"
#include "store/catalogue.h"
#include "store/errors.h"

namespace pelliton {

namespace {

// The most one tick's delta shows as speed; the total takes all of it.
constexpr std::uint64_t kLargestShownDeltaKB = std::uint64_t{1} << 30;

// Octets counted so far plus `growth`, as whole KB; the rest waits for the next tick.
std::uint64_t WholeKB(std::uint64_t& carried, std::uint64_t growth) {
  const std::uint64_t octets = carried + growth;
  carried = octets % 1024;
  return octets / 1024;
}

std::uint32_t ShownDelta(std::uint64_t kilobytes) {
  return static_cast<std::uint32_t>(std::min(kilobytes, kLargestShownDeltaKB));
}

// The router's first reading of a run counts from the kept one when that is this router's.
void ResumeFromKept(MeterState& state, SettingsStore& store) {
  try {
    const auto kept = ParseKeptRouter(ReadValueText(store, stored::LastRouter));
    if (kept && kept->udn == state.NetworkRouter) state.Router.Resume(kept->sample, kept->wide);
  } catch (const RegistryError&) {
    // a value of another type reads as none: the first reading becomes the base
  }
}

}  // namespace

RouterTick CountRouterTick(MeterState& state, SettingsStore& store, RouterSource& router) {
  router.Follow(state.NetworkRouter);
  const std::optional<RouterSighting> latest = router.Latest();
  if (!latest || latest->udn != state.NetworkRouter || !latest->sample) return {};
  const bool first = !state.Router.Base();
  if (first) ResumeFromKept(state, store);
  const RouterPace pace{latest->readAtMs,
                        std::max(latest->speedBitsPerSecond, latest->upSpeedBitsPerSecond)};
  const RouterGrowth growth = state.Router.Step(*latest->sample, pace);
  std::string notice = state.Router.TakeNotice();
  state.RouterNote = state.Router.StuckLine();
  const std::uint64_t downKB = WholeKB(state.RouterDownOctets, growth.down);
  const std::uint64_t upKB = WholeKB(state.RouterUpOctets, growth.up);
  // What passed while this PC was off is no speed.
  state.DownDeltaKB = first ? 0 : ShownDelta(downKB);
  state.UpDeltaKB = first ? 0 : ShownDelta(upKB);
  return {.seen = true,
          .growth = {downKB, upKB},
          .linkUp = latest->sample->linkUp,
          .notice = std::move(notice)};
}

void KeepRouterReadings(const MeterState& state, SettingsStore& store) {
  if (!state.Router.Base()) return;
  const KeptRouter kept{state.NetworkRouter, state.Router.Wide(), *state.Router.Base()};
  WriteValueText(store, stored::LastRouter, FormatKeptRouter(kept));
}

void ForgetRouterReadings(MeterState& state, SettingsStore& store) {
  state.Router = RouterCounting{};
  state.RouterNote.clear();
  try {
    store.DeleteValue(RootKey::CurrentUser, stored::LastRouter.key, stored::LastRouter.name);
  } catch (const std::exception&) {
    // a value that cannot be deleted now is replaced at the next counted tick
  }
}

void ChooseRouter(MeterState& state, SettingsStore& store, RouterSource* router,
                  const std::string& udn) {
  if (udn == state.NetworkRouter) return;
  WriteValueText(store, stored::NetworkRouter, udn);
  ForgetRouterReadings(state, store);
  ForgetReadings(state, store);
  state.NetworkRouter = udn;
  if (router) router->Follow(udn);  // a router chosen again is read afresh
  UnbindAll(state);                 // every connection found afresh, from its present readings
}

std::string LoadNetworkRouter(SettingsStore& store) {
  try {
    return ParseRouterId(ReadValueText(store, stored::NetworkRouter)).value_or("");
  } catch (const std::exception&) {
    return {};
  }
}

}  // namespace pelliton
