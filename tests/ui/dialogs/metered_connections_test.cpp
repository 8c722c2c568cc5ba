#include "ui/dialogs/metered_connections.h"

#include <gtest/gtest.h>

#include "fakes/fake_router.h"
#include "store/settings_store.h"
#include "ui/dialogs/dialog_fakes.h"

namespace pelliton::testing {
namespace {

class FakeMeteredView : public MeteredConnectionsView {
 public:
  void AddLine(const ConnectionLine& line) override { lines.push_back(line); }
  bool LineChecked(int index) const override {
    return lines.at(static_cast<std::size_t>(index)).checked;
  }
  void SetLineChecked(int index, bool checked) override {
    lines.at(static_cast<std::size_t>(index)).checked = checked;
  }
  void SetLineLink(int index, const ConnectionLine& line) override {
    auto& shown = lines.at(static_cast<std::size_t>(index));
    std::tie(shown.link, shown.speed) = std::tie(line.link, line.speed);
  }
  void SetNote(std::string_view text) override { note = text; }
  void SetOkEnabled(bool enabled) override { okEnabled = enabled; }
  std::string Checked() const {
    std::string marks;
    for (const ConnectionLine& line : lines)
      marks += line.checked ? 'x' : '-';
    return marks;
  }
  std::vector<ConnectionLine> lines;
  std::string note;
  bool okEnabled = false;
};

IfRow Row(std::string_view descr, std::uint8_t mac, std::uint32_t speed, bool up = true) {
  IfRow row = MakeRow(descr, up ? kOperStatusOperational : 2, 0, 0);
  row.dwSpeed = speed;
  row.dwPhysAddrLen = mac ? 6 : 0;
  row.bPhysAddr[5] = mac;
  return row;
}

// An adapter with its filter rows (one hardware address), a second adapter and loopback.
class MeteredConnectionsTest : public ::testing::Test {
 protected:
  MeteredConnectionsTest() {
    ports.table.rows = {Row("lo", 0, 10000000), Row("NIC", 1, 100000000),
                        Row("NIC-QoS Packet Scheduler-0000", 1, 100000000),
                        Row("Wi-Fi", 2, 54000000, false)};
    ports.state.NetworkType = "NIC";
    form.FormActivate();
  }
  FakeDialogPorts ports;
  FakeLocale locale;
  MeterContext meter{ports.state, ports.store, ports.table, ports.clock, locale, ports.window};
  FakeMeteredView view;
  TMeteredConnectionsForm form{meter, view, ports.window};
};

TEST_F(MeteredConnectionsTest, ListsEveryRowWithItsLinkSpeedAndAddressTheMeteredOneChecked) {
  ASSERT_EQ(view.lines.size(), 4u);
  EXPECT_EQ(view.Checked(), "-x--");
  const ConnectionLine& wifi = view.lines[3];
  EXPECT_EQ(std::tie(wifi.description, wifi.link, wifi.speed, wifi.address),
            std::tie("Wi-Fi", "Down", "54 Mbit/s", "00-00-00-00-00-02"));
  EXPECT_EQ(view.lines[0].link + view.lines[0].address, "Up");
  EXPECT_NE(view.note, "");  // the twins are explained
  EXPECT_TRUE(view.okEnabled);
}

TEST_F(MeteredConnectionsTest, CheckingATwinUnchecksTheOtherAndOkNeedsALine) {
  const struct {
    int line;
    bool check;
    const char* after;
    bool ok;
  } steps[] = {{2, true, "--x-", true},
               {1, true, "-x--", true},
               {1, false, "----", false},
               {3, true, "---x", true},
               {0, true, "x--x", true}};
  for (const auto& step : steps) {
    view.SetLineChecked(step.line, step.check);
    form.LineToggled(step.line);
    EXPECT_EQ(view.Checked(), step.after) << step.line;
    EXPECT_EQ(view.okEnabled, step.ok) << step.line;
  }
  EXPECT_TRUE(form.BitBtn1Click());
  EXPECT_EQ(ports.store.Get("NetworkType"), "lo");
  EXPECT_EQ(MeteredConnections(ports.state).size(), 2u);
}

TEST_F(MeteredConnectionsTest, AStoreErrorLeavesTheSetAndTheDialogAsTheyWere) {
  ports.store.Set("NetworkType", "NIC");
  view.lines[0].checked = view.lines[3].checked = true;  // "lo" first
  form.LineToggled(3);
  for (const char* failing : {"NetworkType", "NetworkSet"}) {  // the second puts the first back
    ports.store.failingWrites = {failing};
    EXPECT_THROW(form.BitBtn1Click(), RegistryError);
    EXPECT_EQ(MeteredConnections(ports.state).size(), 1u);
    EXPECT_EQ(ports.store.Get("NetworkType"), "NIC");
  }
  view.lines[0].checked = view.lines[1].checked = view.lines[3].checked = false;
  EXPECT_FALSE(form.BitBtn1Click());  // none checked: nothing to store
}

TEST_F(MeteredConnectionsTest, ALineAddedLaterHasNoTwinsAndIsNotStoredByTheRows) {
  EXPECT_EQ(form.AppendLine({"Router", "Up", "", "", true}, std::nullopt), 4);
  form.LineToggled(4);
  EXPECT_EQ(view.Checked(), "-x--x");
}

TEST_F(MeteredConnectionsTest, RoutersAreAddedAsTheyAnswerAndExcludeThisPcsConnections) {
  FakeRouter router;
  meter.router = &router;
  ports.state.NetworkRouter = "uuid:2";
  form.ShowRouters();
  EXPECT_EQ(view.lines.size(), 4u);  // no answer yet
  router.found = {{"uuid:1", "Home", "192.168.77.1", true, 1000000000, {}},
                  {"uuid:2", "Attic", "192.168.77.9", false, 0, {}}};
  form.ShowRouters();
  form.ShowRouters();  // each router once
  ASSERT_EQ(view.lines.size(), 6u);
  EXPECT_EQ(view.lines[4].description + view.lines[4].link + view.lines[4].speed,
            "Router: Home (192.168.77.1)Up1 Gbit/s");
  EXPECT_EQ(view.Checked(), "-----x");  // the metered router, alone
  EXPECT_NE(view.note.find("passes through the router"), std::string::npos);
  view.lines[1].checked = true;
  form.LineToggled(1);
  EXPECT_EQ(view.Checked(), "-x----");
  view.lines[4].checked = true;
  form.LineToggled(4);
  EXPECT_EQ(view.Checked(), "----x-");
  EXPECT_TRUE(form.BitBtn1Click());
  EXPECT_EQ(ports.store.Get("NetworkRouter"), "uuid:1");
  EXPECT_EQ(ports.state.NetworkRouter, "uuid:1");
}

TEST_F(MeteredConnectionsTest, WhileTheRouterIsMeteredOkChangesNothingAndALateLineUndoesNoClick) {
  FakeRouter router;
  meter.router = &router;
  ports.state.NetworkRouter = "uuid:1";
  const struct {
    int click;  // -1: none
    const char* after;
    bool stored;
  } cases[] = {{-1, "----x", false}, {3, "---x-", true}};
  for (const auto& c : cases) {
    FakeMeteredView fresh;
    TMeteredConnectionsForm dialog{meter, fresh, ports.window};
    dialog.FormActivate();
    EXPECT_EQ(fresh.Checked(), "----");  // the router's line is still to come
    EXPECT_EQ(fresh.okEnabled, true);
    if (c.click >= 0) fresh.lines[static_cast<std::size_t>(c.click)].checked = true;
    if (c.click >= 0) dialog.LineToggled(c.click);
    router.found = {{"uuid:1", "Home", "192.168.77.1", false, 0, {}}};
    router.Answer(1, 1, 1);  // the latest poll: up, at its rate
    router.latest->speedBitsPerSecond = 50000000;
    dialog.ShowRouters();
    EXPECT_EQ(fresh.Checked(), c.after);
    EXPECT_EQ(fresh.lines[4].link + fresh.lines[4].speed, "Up50 Mbit/s");
    EXPECT_TRUE(dialog.BitBtn1Click());
    EXPECT_EQ(ports.state.NetworkRouter.empty(), c.stored) << c.after;
  }
}

TEST(SpeedText, TakesTheLargestUnitWithTenthsWhereThereAreAny) {
  const std::pair<std::uint64_t, const char*> cases[] = {{0, "0 bit/s"},
                                                         {9600, "9.6 kbit/s"},
                                                         {100000000, "100 Mbit/s"},
                                                         {2500000000, "2.5 Gbit/s"},
                                                         {999, "999 bit/s"},
                                                         {1000000000000, "1,000 Gbit/s"}};
  for (const auto& [bits, text] : cases)
    EXPECT_EQ(SpeedText(bits, {',', '.'}), text);
}

}  // namespace
}  // namespace pelliton::testing
