#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "metering/sources/connection_set.h"
#include "metering/meter_context.h"
#include "ui/meter_window.h"

namespace pelliton {

// One line of "Metered Connections": the texts of its columns and its check box.
struct ConnectionLine {
  std::string description;
  std::string link;     // "Up" or "Down"
  std::string speed;    // "100 Mbit/s"
  std::string address;  // the hardware address, empty where the row has none
  bool checked = false;
};

// The dialog's list with check boxes, its note and OK, as the handlers see them. Texts are in
// the system code page. A box set here is no user's toggle: LineToggled stays out.
class MeteredConnectionsView {
 public:
  virtual ~MeteredConnectionsView() = default;
  virtual void AddLine(const ConnectionLine& line) = 0;  // at the end
  virtual bool LineChecked(int index) const = 0;
  virtual void SetLineChecked(int index, bool checked) = 0;
  virtual void SetLineLink(int index, const ConnectionLine& line) = 0;  // its link and speed
  virtual void SetNote(std::string_view text) = 0;
  virtual void SetOkEnabled(bool enabled) = 0;
};

// "100 Mbit/s", "2.5 Gbit/s", "9,600 bit/s": a link speed in the largest unit it reaches.
std::string SpeedText(std::uint64_t bitsPerSecond, Separators separators);

// The handlers of "Metered Connections". A new instance goes with every showing; nothing is
// stored before OK. Lines that carry the same traffic (rows of one hardware address: an
// adapter's filter rows, a virtual switch's adapter; SameTrafficRows) are twins: checking one
// unchecks the others, so that no traffic is counted twice.
class TMeteredConnectionsForm {
 public:
  TMeteredConnectionsForm(MeterContext& meter, MeteredConnectionsView& view, MeterWindow& window);

  // A line for every row of the interface table, the metered ones checked (none while the
  // router is metered: its line comes with the search).
  void FormActivate();
  // A line added after the dialog opened, at the end; its index. `id` is what OK stores for
  // it, nothing for a line that another part of the dialog looks after.
  int AppendLine(const ConnectionLine& line, std::optional<ConnectionId> id);
  // The user toggled line `index`: its twins follow, and OK is enabled while a line is checked.
  void LineToggled(int index);
  // A line for each router found since the last call, "Router: <name> (<address>)" with its
  // link and speed, checked while it is metered unless the user has toggled a line already
  // (a timer calls it: the search never waits); the lines shown get the latest link and speed.
  // The router and this PC's connections exclude each other: their traffic passes through it.
  void ShowRouters();
  // Stores the checked connections (ChooseConnections), or the checked router (ChooseRouter);
  // nothing when the user toggled no line; false leaves the dialog open.
  bool BitBtn1Click();
  // Raises the meter as Stay On Top says (RaiseMeter) once the dialog is gone.
  void FormDestroy();

 private:
  struct Line {
    std::optional<ConnectionId> id;      // what OK stores for it
    std::optional<std::size_t> standIn;  // the row that stands for its traffic
  };
  int AddLine(const ConnectionLine& line, std::optional<ConnectionId> id,
              std::optional<std::size_t> standIn);
  bool AnyChecked() const;
  // OK takes the checked lines, or, before any toggle, leaves the metered router as it is.
  bool OkEnabled() const;
  // Unchecks every line but `index` of the other kind (router or connection) than it.
  void UncheckOtherKind(std::size_t index);

  MeterContext& meter_;
  MeteredConnectionsView& view_;
  MeterWindow& window_;
  std::vector<Line> lines_;
  std::vector<std::string> routers_;  // per line: the router's UDN, empty for a connection
  bool toggled_ = false;              // the user toggled a line
};

}  // namespace pelliton
