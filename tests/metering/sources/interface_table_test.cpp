#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "fakes/fake_interface_table.h"
#include "metering/sources/connection_set.h"
#include "metering/sources/interface_table.h"
#include "store/errors.h"

namespace pelliton {
namespace {

using testing::FakeInterfaceTable;
using testing::MakeLink;
using testing::MakeRow;

struct DescriptionCase {
  const char* name;
  std::string bytes;
  std::int64_t descrLen;  // -1: length + 1, the Windows convention
  std::string text;
};

TEST(DescriptionText, TakesTheBytesUpToLengthAndNulTrimmed) {
  const DescriptionCase cases[] = {
      {"Windows counts the NUL", "lo", -1, "lo"},
      {"Wine does not", "lo", 2, "lo"},
      {"trailing blank", "Fast Ethernet Adapter ", 23, "Fast Ethernet Adapter"},
      {"only blanks", "   ", -1, ""},
      {"control characters", "\t\r\n Eth0\x01\x1f", -1, "Eth0"},
      {"inner blanks stay", " Intel  PRO ", -1, "Intel  PRO"},
      {"codes above 127 stay",
       "\xa0"
       "Caf\xe9\xa0",
       -1,
       "\xa0"
       "Caf\xe9\xa0"},
      {"stops at the first NUL", std::string("ab\0cd", 5), -1, "ab"},
      {"stops at the length", "abcdef", 3, "abc"},
      {"one byte, Wine", "A", 1, "A"},
      {"only NULs", std::string(3, '\0'), 3, ""},
      {"256 bytes without NUL", std::string(256, 'x'), 256, std::string(256, 'x')},
      {"length past the field", std::string(256, 'y'), 1000, std::string(256, 'y')},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DescriptionText(MakeRow(c.bytes, 1, 0, 0, c.descrLen)), c.text);
  }
}

TEST(DescriptionText, ARowWithoutDescriptionBytesIsAnError) {
  EXPECT_THROW(DescriptionText(MakeRow("", 1, 0, 0, 0)), RangeError);
  EXPECT_THROW(DescriptionText(MakeRow("", 1, 0, 0, 1)), RangeError);
  EXPECT_THROW(DescriptionText(MakeRow("abc", 1, 0, 0, 0)), RangeError);
}

TEST(GetIfTableMIB, CopiesEveryRowInTableOrderUnsorted) {
  FakeInterfaceTable table;
  table.rows = {MakeRow("b", 1, 10, 20), MakeRow("a", 0, 30, 40), MakeRow("c", 2, 50, 60)};
  table.rows[1].wszName[0] = u'N';
  Snapshot snapshot;
  Get_IfTableMIB(table, snapshot);
  ASSERT_EQ(snapshot.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(std::memcmp(&snapshot[i], &table.rows[i], sizeof(IfRow)), 0) << i;
  }
  EXPECT_EQ(table.calls, 2);
  EXPECT_FALSE(table.lastOrder);
}

TEST(GetIfTableMIB, EveryFailureGivesAnEmptySnapshotWithoutRetry) {
  struct {
    const char* name;
    std::uint32_t firstResult, secondResult;
    std::size_t rows, grow;
    int calls;
  } const cases[] = {
      {"no rows", 122, 0, 0, 0, 2},
      {"size query fails", 87, 0, 2, 0, 1},
      {"size query succeeds outright", 0, 0, 2, 0, 1},
      {"fill fails", 122, 31, 2, 0, 2},
      {"table grew after the size query", 122, 0, 2, 1, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeInterfaceTable table;
    table.rows.assign(c.rows, MakeRow("eth", 1, 0, 0));
    table.firstCallResult = c.firstResult;
    table.secondCallResult = c.secondResult;
    table.growBeforeSecondCall = c.grow;
    Snapshot snapshot;
    Get_IfTableMIB(table, snapshot);
    EXPECT_TRUE(snapshot.empty());
    EXPECT_EQ(table.calls, c.calls);
  }
}

TEST(GetIfTableMIB, TheNextCallAfterAGrownTableStartsAfresh) {
  FakeInterfaceTable table;
  table.rows.assign(2, MakeRow("eth", 1, 0, 0));
  table.growBeforeSecondCall = 1;
  Snapshot snapshot;
  Get_IfTableMIB(table, snapshot);
  EXPECT_TRUE(snapshot.empty());
  Get_IfTableMIB(table, snapshot);
  EXPECT_EQ(snapshot.size(), 3u);
}

TEST(GetIfTableMIB, OutOfMemoryPropagates) {
  FakeInterfaceTable table;
  table.throwBadAlloc = true;
  Snapshot snapshot;
  EXPECT_THROW(Get_IfTableMIB(table, snapshot), std::bad_alloc);
}

// A table that reports `reportedSize` and claims `claimedRows` rows, whatever it holds.
class LyingTable : public InterfaceTable {
 public:
  LyingTable(std::uint32_t reportedSize, std::uint32_t claimedRows)
      : reportedSize_(reportedSize), claimedRows_(claimedRows) {}

  std::uint32_t GetIfTable(void* table, std::uint32_t* size, bool) override {
    sizes.push_back(*size);
    nullTable = nullTable || table == nullptr;
    if (*size == 0) {
      *size = reportedSize_;
      return kErrorInsufficientBuffer;
    }
    auto* bytes = static_cast<std::uint8_t*>(table);
    std::memcpy(bytes, &claimedRows_, sizeof claimedRows_);
    const IfRow row = MakeRow("eth", 1, 0, 0);
    for (std::size_t at = 4; at + sizeof row <= *size; at += sizeof row) {
      std::memcpy(bytes + at, &row, sizeof row);
    }
    return kNoError;
  }

  std::vector<std::uint32_t> sizes;
  bool nullTable = false;

 private:
  std::uint32_t reportedSize_, claimedRows_;
};

TEST(GetIfTableMIB, NeverReadsPastTheReportedSize) {
  LyingTable table(4 + 2 * sizeof(IfRow) + 100, 5);
  Snapshot snapshot;
  Get_IfTableMIB(table, snapshot);
  EXPECT_EQ(snapshot.size(), 2u);
  EXPECT_EQ(table.sizes, (std::vector<std::uint32_t>{0, 4 + 2 * sizeof(IfRow) + 100}));
  EXPECT_FALSE(table.nullTable);
}

TEST(GetIfTableMIB, AReportedSizeBelowTheHeaderIsAFailure) {
  LyingTable table(3, 1);
  Snapshot snapshot;
  Get_IfTableMIB(table, snapshot);
  EXPECT_TRUE(snapshot.empty());
  EXPECT_EQ(table.sizes.size(), 1u);
}

// The connections of a set, and rows as a source reads them: description, hardware
// address, identity.
using Ids = std::vector<ConnectionId>;
using Found = std::vector<std::optional<std::size_t>>;

// `up` marks the rows that are up with an "x" at their place.
std::vector<SourceReading> Rows(const Ids& ids, std::string_view up = "") {
  std::vector<SourceReading> rows(ids.size());
  for (std::size_t i = 0; i < ids.size(); ++i) {
    rows[i].id = ids[i];
    rows[i].connected = i < up.size() && up[i] == 'x';
  }
  return rows;
}

constexpr const char* kA = "00-1A-2B-3C-4D-5E";
constexpr const char* kB = "00-1A-2B-3C-4D-5F";
constexpr const char* kZero = "00-00-00-00-00-00";
const std::string kNic = "Intel(R) Ethernet I219-V";
const std::string kWfp = kNic + "-WFP Native MAC Layer LightWeight Filter-0000";
const std::string kQos = kNic + "-QoS Packet Scheduler-0000";
const std::string kVSwitch = "Hyper-V Virtual Ethernet Adapter";

TEST(MatchConnections, FindsEachConnectionOnceAndEachHardwareAddressOnce) {
  struct {
    const char* name;
    Ids set, rows;
    Found found;
    std::string_view up = "";
  } const cases[] = {
      {"identity first", {{"eth0", kA, "{1}"}}, {{"eth0", kB, "{2}"}, {"wlan0", kB, "{1}"}}, {1}},
      {"renamed, same address", {{"eth0", kA, ""}}, {{"eth1", kB, ""}, {"eth9", kA, ""}}, {1}},
      {"description", {{"eth0", "", ""}}, {{"lo", "", ""}, {"eth0", kB, ""}}, {1}},
      {"first of two alike", {{"eth0", "", ""}}, {{"eth0", "", ""}, {"eth0", "", ""}}, {0}},
      {"instance suffix", {{"Modem #2", "", ""}}, {{"Modem", "", ""}}, {0}},
      {"another suffix", {{"Modem", "", ""}}, {{"Mode", "", ""}, {"Modem #13", "", ""}}, {1}},
      {"not a suffix", {{"Modem", "", ""}}, {{"Modem#2", "", ""}, {"Modem #", "", ""}}, {{}}},
      {"exact before suffix",
       {{"Modem #2", "", ""}},
       {{"Modem", "", ""}, {"Modem #2", "", ""}},
       {1}},
      {"filter rows: the plain row",
       {{kNic, kA, ""}},
       {{kWfp, kA, ""}, {kNic, kA, ""}, {kQos, kA, ""}},
       {1}},
      {"renamed among filter rows", {{"old", kA, ""}}, {{kQos, kA, ""}, {kNic, kA, ""}}, {1}},
      {"a filter row checked alone", {{kQos, kA, ""}}, {{kNic, kA, ""}, {kQos, kA, ""}}, {1}},
      {"a row and its filter row",
       {{kNic, kA, ""}, {kQos, kA, ""}},
       {{kNic, kA, ""}, {kQos, kA, ""}},
       {0, {}}},
      {"a virtual switch",
       {{kVSwitch, kA, ""}, {kNic, kA, ""}},
       {{kNic, kA, ""}, {kVSwitch, kA, ""}},
       {1, {}}},
      {"identity wins the address",
       {{kNic, kA, ""}, {kVSwitch, "", "{7}"}},
       {{kNic, kA, ""}, {kVSwitch, kA, "{7}"}},
       {{}, 1}},
      {"zero address: description only",
       {{"lo", kZero, ""}},
       {{"tun0", kZero, ""}, {"lo", kZero, ""}},
       {1}},
      {"one row, asked twice", {{"eth0", "", ""}, {"eth0", "", ""}}, {{"eth0", "", ""}}, {0, {}}},
      {"gone", {{"eth0", kA, "{1}"}}, {{"eth1", kB, "{2}"}}, {{}}},
      // Plugged in again under another name, its old row still listed and down.
      {"up wins its address",
       {{"usb0", kA, "{1}"}},
       {{"usb0", kA, "{1}"}, {"usb1", kA, "{2}"}},
       {1},
       "-x"},
      {"both down: the identity",
       {{"usb0", kA, "{1}"}},
       {{"usb0", kA, "{1}"}, {"usb1", kA, "{2}"}},
       {0}},
      {"up wins the description",
       {{"eth0", kA, ""}},
       {{"eth0", kA, ""}, {"eth1", kA, ""}},
       {1},
       "-x"},
      {"a filter row up wins nothing",
       {{kNic, kA, "{1}"}},
       {{kNic, kA, "{1}"}, {kQos, kA, ""}},
       {0},
       "-x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MatchConnections(c.set, Rows(c.rows, c.up)), c.found);
  }
  const auto standIns =
      SameTrafficRows(Rows({{kWfp, kA, ""}, {"lo", kZero, ""}, {kNic, kA, ""}, {"x", kB, ""}}));
  EXPECT_EQ(standIns, (std::vector<std::size_t>{2, 1, 2, 3}));
}

TEST(NetworkSet, ReadsBackWhatItWroteAndNothingElse) {
  const Ids set{{"a;b,c:d", kA, "{1}"}, {std::string("nul\0x", 6), "", ""}, {"", "", ""}};
  EXPECT_EQ(FormatNetworkSet({{"eth0", kA, ""}}), "4:eth0,17:00-1A-2B-3C-4D-5E,0:");
  EXPECT_EQ(ParseNetworkSet(FormatNetworkSet(set)), set);
  const std::string eth0 = "4:eth0,0:,0:";
  std::string many = eth0;
  for (int i = 0; i < 32; ++i)
    many += ";" + eth0;
  for (const std::string& bad : std::vector<std::string>{
           std::string(), "4:eth0,0:", "5:eth0,0:,0:", "4:eth0,0:,0:;", "+4:eth0,0:,0:",
           "4:eth0;0:;0:", "4:eth0,0:,0:x", "257:" + std::string(257, 'x') + ",0:,0:",
           "4:eth0,24:" + std::string(24, '1') + ",0:", many, "99999999999999999999:"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(ParseNetworkSet(bad));
  }
}

// Three readings: the whole table at once where the platform has it, else GetIfTable's rows
// with each identity read once while the row stays the same, and 64-bit counters for the
// connected row alone.
TEST(InterfaceRowSource, ReadsPerRowOnlyWhatOneReadingOfTheTableLacks) {
  using Change = void (*)(IfRow&);
  struct {
    const char* name;
    bool wide;
    Change change;  // of the second row, before the second and the third reading
    int tableCalls, identityReads, reads64;
  } const cases[] = {
      {"the whole table at once", true, [](IfRow&) {}, 0, 0, 0},
      {"GetIfTable", false, [](IfRow&) {}, 6, 2, 3},
      {"renamed: found again", false, [](IfRow& r) { ++r.bDescr[0]; }, 6, 4, 3},
      {"gone and back: found again", false, [](IfRow& r) { std::swap(r.dwIndex, r.dwType); }, 6, 4,
       3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeInterfaceTable table;
    table.wide = c.wide;
    table.rows = {MakeLink("eth0", kA, 4, 5), MakeLink("wlan0", kB, 5, 2)};
    table.identities = {{4, "{4}"}, {5, "{5}"}, {0, "{5}"}};
    table.counters64[4] = {std::uint64_t{1} << 40, 7};
    std::vector<SourceReading> rows = InterfaceRowSource(table).Read();
    for (int i = 0; i < 2; ++i, rows = InterfaceRowSource(table).Read())
      c.change(table.rows[1]);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].id.identity + rows[1].id.identity, "{4}{5}");
    EXPECT_TRUE(rows[0].wide && rows[0].connected && !rows[1].connected);
    EXPECT_EQ(rows[0].downOctets - rows[0].downOctets32, std::uint64_t{1} << 40);
    EXPECT_EQ(std::tie(table.calls, table.identityReads, table.reads64),
              std::tie(c.tableCalls, c.identityReads, c.reads64));
  }
}

}  // namespace
}  // namespace pelliton
