#include "ui/dialogs/metered_connections.h"

#include <algorithm>
#include <cstdint>

#include "metering/base/data_quantity.h"
#include "metering/sources/router_meter.h"

namespace pelliton {

namespace {

constexpr char kTwinsNote[] =
    "Lines with one hardware address carry the same traffic: only one of them can be checked.";

constexpr char kRouterNote[] =
    "This PC's traffic passes through the router: check the router or this PC's connections.";

std::string WholeOrTenths(std::uint64_t value, std::uint64_t unit, Separators separators) {
  const std::uint64_t tenths = value * 10 / unit;
  std::string text = GroupedDigits(tenths / 10, separators.thousands);
  if (tenths % 10 != 0) text += separators.decimal + std::to_string(tenths % 10);
  return text;
}

}  // namespace

std::string SpeedText(std::uint64_t bitsPerSecond, Separators separators) {
  constexpr struct {
    std::uint64_t unit;
    const char* name;
  } kUnits[] = {{1000000000, " Gbit/s"}, {1000000, " Mbit/s"}, {1000, " kbit/s"}};
  for (const auto& unit : kUnits) {
    if (bitsPerSecond >= unit.unit)
      return WholeOrTenths(bitsPerSecond, unit.unit, separators) + unit.name;
  }
  return GroupedDigits(bitsPerSecond, separators.thousands) + " bit/s";
}

TMeteredConnectionsForm::TMeteredConnectionsForm(MeterContext& meter, MeteredConnectionsView& view,
                                                 MeterWindow& window)
    : meter_(meter), view_(view), window_(window) {}

void TMeteredConnectionsForm::FormActivate() {
  const std::vector<SourceReading> rows = ListConnections(meter_.table);
  std::vector<bool> checked(rows.size(), false);
  for (const std::optional<std::size_t>& row :
       MatchConnections(MeteredConnections(meter_.state), rows))
    if (row && meter_.state.NetworkRouter.empty()) checked[*row] = true;
  const std::vector<std::size_t> standIns = SameTrafficRows(rows);
  const Separators separators = meter_.locale.NumberSeparators();
  bool twins = false;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const SourceReading& row = rows[i];
    AddLine({row.id.description, row.connected ? "Up" : "Down",
             SpeedText(row.speedBitsPerSecond, separators), row.id.hardwareAddress, checked[i]},
            row.id, standIns[i]);
    twins = twins || standIns[i] != i;
  }
  if (twins) view_.SetNote(kTwinsNote);
  view_.SetOkEnabled(OkEnabled());
}

int TMeteredConnectionsForm::AppendLine(const ConnectionLine& line,
                                        std::optional<ConnectionId> id) {
  return AddLine(line, std::move(id), std::nullopt);
}

int TMeteredConnectionsForm::AddLine(const ConnectionLine& line, std::optional<ConnectionId> id,
                                     std::optional<std::size_t> standIn) {
  view_.AddLine(line);
  lines_.push_back({std::move(id), standIn});
  routers_.resize(lines_.size());
  return static_cast<int>(lines_.size()) - 1;
}

void TMeteredConnectionsForm::ShowRouters() {
  if (meter_.router == nullptr) return;
  const Separators separators = meter_.locale.NumberSeparators();
  for (RouterSighting router : meter_.router->Found()) {
    const std::optional<RouterSighting> latest = meter_.router->Latest();
    if (latest && latest->udn == router.udn) router = *latest;  // the latest poll's link
    const bool metered = router.udn == meter_.state.NetworkRouter;
    ConnectionLine line{RouterLine(router), router.linkUp ? "Up" : "Down",
                        SpeedText(router.speedBitsPerSecond, separators), "", metered && !toggled_};
    const auto shown = std::find(routers_.begin(), routers_.end(), router.udn);
    if (shown != routers_.end()) {
      view_.SetLineLink(static_cast<int>(shown - routers_.begin()), line);
      continue;
    }
    const int index = AppendLine(line, std::nullopt);
    routers_[static_cast<std::size_t>(index)] = router.udn;
    if (line.checked) UncheckOtherKind(static_cast<std::size_t>(index));
    view_.SetNote(kRouterNote);
  }
  view_.SetOkEnabled(OkEnabled());
}

void TMeteredConnectionsForm::UncheckOtherKind(std::size_t index) {
  const bool router = !routers_[index].empty();
  for (std::size_t other = 0; other < lines_.size(); ++other) {
    if (other != index && (router || !routers_[other].empty()))
      view_.SetLineChecked(static_cast<int>(other), false);
  }
}

void TMeteredConnectionsForm::LineToggled(int index) {
  toggled_ = true;
  const auto toggled = static_cast<std::size_t>(index);
  if (toggled < lines_.size() && view_.LineChecked(index)) UncheckOtherKind(toggled);
  if (toggled < lines_.size() && lines_[toggled].standIn && view_.LineChecked(index)) {
    for (std::size_t other = 0; other < lines_.size(); ++other) {
      if (other != toggled && lines_[other].standIn == lines_[toggled].standIn)
        view_.SetLineChecked(static_cast<int>(other), false);
    }
  }
  view_.SetOkEnabled(OkEnabled());
}

bool TMeteredConnectionsForm::AnyChecked() const {
  for (std::size_t line = 0; line < lines_.size(); ++line)
    if (view_.LineChecked(static_cast<int>(line))) return true;
  return false;
}

bool TMeteredConnectionsForm::OkEnabled() const {
  return AnyChecked() || (!toggled_ && !meter_.state.NetworkRouter.empty());
}

bool TMeteredConnectionsForm::BitBtn1Click() {
  if (!toggled_) return true;  // nothing changed by the user: nothing to store
  std::vector<ConnectionId> chosen;
  for (std::size_t line = 0; line < lines_.size(); ++line) {
    if (!view_.LineChecked(static_cast<int>(line))) continue;
    if (!routers_[line].empty()) {
      ChooseRouter(meter_.state, meter_.store, meter_.router, routers_[line]);
      return true;
    }
    if (lines_[line].id) chosen.push_back(*lines_[line].id);
  }
  if (chosen.empty()) return false;
  ChooseConnections(meter_.state, meter_.store, chosen);
  ChooseRouter(meter_.state, meter_.store, meter_.router, {});
  return true;
}

void TMeteredConnectionsForm::FormDestroy() {
  RaiseMeter(window_);
}

}  // namespace pelliton
