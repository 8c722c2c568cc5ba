#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "metering/base/clock.h"
#include "metering/sources/router_counters.h"
#include "metering/sources/counter_source.h"
#include "metering/history/usage_history.h"
#include "metering/plan/plan.h"
#include "metering/plan/plan_figures.h"

namespace pelliton {

// The monthly data allowance: how much a billing cycle may use, the share of it at which the
// user is warned, and which of the two warnings this cycle has given.
struct Allowance {
  std::uint32_t capMB = 0;  // 0: no allowance
  int warningPercent = 80;
  unsigned warned = 0;  // kLevelWarned | kWholeWarned (metering/allowance.h)
};

// The counting of one metered connection: the row it was found at, and its readings in KB at
// the previous counted tick (the 64-bit ones where the source had them then).
struct LinkState {
  bool bound = false;
  std::uint32_t row = 0;
  std::uint32_t prevDownKB = 0;
  std::uint32_t prevUpKB = 0;
  bool has64 = false;
  std::uint32_t index64 = 0;
  std::uint64_t prevDownKB64 = 0;
  std::uint64_t prevUpKB64 = 0;
  bool fresh = false;  // just added to the set: counts from its binding, nothing before
};

// The running figures of the billing cycle, the accounting state and the display options.
// One instance lives for the whole process; every handler reads and changes it on the
// user-interface thread. Widths are part of the contract: arithmetic on these fields goes
// through CheckedAdd/CheckedNarrow so that it fails instead of wrapping. KB are 1024 bytes.
struct MeterState {
  // Billing cycle.
  std::uint16_t CycleDay = 0;    // day of the month on which a cycle begins
  std::uint16_t LastMonth = 0;   // month of the last rollover; 0 before the first
  std::uint16_t TodayMonth = 0;  // decoded from the local clock at start-up and every tick
  std::uint16_t TodayDay = 0;
  std::uint32_t CycleStart = 0;  // yyyymmdd of the figures' last restart; 0: not known
  LocalDateTime TickTime;        // the local time the tick in progress read, for the usage history

  // Connected time of the cycle in progress.
  std::uint16_t Seconds = 0;
  std::uint16_t Minutes = 0;
  std::uint16_t Hours = 0;

  // Counter readings of the chosen connection, in KB.
  std::uint32_t DownDeltaKB = 0;
  std::uint32_t PrevDownKB = 0;
  std::uint32_t CurDownKB = 0;
  std::uint32_t UpDeltaKB = 0;
  std::uint32_t PrevUpKB = 0;
  std::uint32_t CurUpKB = 0;
  std::uint32_t TotalDataKB = 0;  // received plus sent in the cycle in progress

  // The bound row's 64-bit readings in KB at the previous accounted tick, when the platform
  // had them then (Has64), and the interface they came from.
  bool Has64 = false;
  std::uint32_t Index64 = 0;
  std::uint64_t PrevDownKB64 = 0;
  std::uint64_t PrevUpKB64 = 0;

  // What the store keeps of the bound row's readings for a later start (metering/readings.h):
  // a whole set for KeptIndex and KeptWide of this boot once Sealed.
  enum class Keeping : std::uint8_t { Unknown, Nothing, Sealed };
  Keeping Kept = Keeping::Unknown;  // an earlier run may have left readings
  std::uint32_t KeptIndex = 0;
  bool KeptWide = false;

  // Binding to the interface row. AdapterRow means something only while AdapterBound.
  bool AdapterBound = false;
  std::uint8_t AdapterRow = 0;

  std::string NetworkType;  // description text of the chosen connection (system code page)

  // The household's router when it is metered instead of this PC's connections: its UDN as
  // "NetworkRouter" holds it (empty: not metered), and the counting of its counters.
  std::string NetworkRouter;
  RouterCounting Router;
  std::uint64_t RouterDownOctets = 0;  // counted octets not yet a whole KB
  std::uint64_t RouterUpOctets = 0;
  std::string RouterNote;  // the tip's line while a counter of the router is stuck
  // The metered set as "NetworkSet" holds it; it means something only while its first
  // description is NetworkType (metering/connection_set.h). The first connection counts in the
  // fields above, each further one in OtherLinks, in the set's order.
  std::vector<ConnectionId> Connections;
  std::vector<LinkState> OtherLinks;
  bool OthersKept = true;     // "LastOthers" may hold readings
  bool AdapterFresh = false;  // the first connection was just added: nothing before counts
  bool SetUnsaved = false;    // a new name found for a connection is still to be stored

  // History: a 12-character head date, then up to twelve 40-character records.
  std::u16string AllData;

  // The cycle's traffic by day and by hour (metering/usage_history.h).
  UsageHistory History;

  // Display options.
  bool ShuffleOn = false;
  bool FreezeOn = false;
  std::uint8_t FontSize = 0;    // points, big figure
  std::int32_t ClockColor = 0;  // 0x00BBGGRR

  // The allowance as the store holds it, once a tick has read it; every change of it goes
  // through the store and here together, so that a tick reads nothing more.
  std::optional<Allowance> DataCap;

  // The plan beside the allowance (metering/plan/plan_usage.h): its settings as last read and
  // the PlanSettingsChanges() they were read at; its figures beside the total, read from the
  // store on first use and after every reload of the figures; the local minute of this run's
  // last counted tick; the plan's warnings given, once read.
  std::optional<PlanSettings> PlanSet;
  std::uint64_t PlanSetRead = 0;
  std::optional<PlanFigures> Plan;
  std::optional<std::int64_t> PlanLastMinute;
  std::optional<unsigned> PlanWarned;

  bool DialogAccepted = false;  // set by the connection dialog on a confirmed choice

  std::int32_t DragStartX = 0;  // where the last press on the big figure happened
  std::int32_t DragStartY = 0;
};

// Row index that means "to be located afresh".
inline constexpr std::uint8_t kUnlocatedRow = 10;

}  // namespace pelliton
