#include "ui/dialogs/all_conections.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "connection_fakes.h"
#include "fakes/fake_interface_table.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_store.h"
#include "fakes/fake_ui.h"
#include "store/errors.h"

namespace pelliton::testing {
namespace {

using Lines = std::vector<std::string>;

const Lines kPlaceholders{"No Network Conections found",
                          "Re-Detecting Network Hardware and Conections", "Please Wait....."};
const std::string kSlowMessage =
    "Pelliton cannot be installed on this machine.\r\r Please disable the QOS Packet "
    "Scheduler from Network Conections in control panel and try reinstalling this software.";

class ConnectionFormTest : public ::testing::Test {
 protected:
  // Listing takes `ms`: the clock moves while the placeholders are painted.
  void ListingTakes(std::uint32_t ms) {
    app.onProcessMessages = [this, ms] { clock.tick += ms; };
  }
  void SetRows(const std::vector<std::string>& descriptions) {
    for (const auto& text : descriptions)
      table.rows.push_back(MakeRow(text, 1, 0, 0));
  }

  MeterState state;
  FakeStore store;
  FakeInterfaceTable table;
  FakeClock clock;
  FakeApplication app;
  FakeConnectionView view;
  TAllConectionsForm form{ConnectionDialogPorts{state, store, table, clock, app}, view};
};

TEST_F(ConnectionFormTest, OpensWithTheOnePlaceholderAndOkDisabled) {
  EXPECT_EQ(view.lines, Lines{"No Network Conections found"});
  EXPECT_FALSE(view.okEnabled);
  EXPECT_EQ(table.calls, 0);
}

TEST_F(ConnectionFormTest, ListsEveryRowInTableOrderAndSelectsLineZeroWithoutEnablingOk) {
  SetRows({"A", " B ", "A"});
  table.rows[1].dwOperStatus = 0;  // a row that is down is listed too
  form.FormActivate();
  EXPECT_EQ(view.lines, (Lines{"A", "B", "A"}));
  EXPECT_EQ(view.selected, 0);
  EXPECT_FALSE(view.okEnabled);
  EXPECT_EQ(view.modalCancels, 0);
  EXPECT_TRUE(app.boxes.empty());
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(ConnectionFormTest, PaintsThePlaceholdersBeforeReadingTheTable) {
  SetRows({"eth0"});
  Lines linesWhilePainting;
  int tableCallsWhilePainting = -1;
  app.onProcessMessages = [&] {
    linesWhilePainting = view.lines;
    tableCallsWhilePainting = table.calls;
  };
  form.FormActivate();
  EXPECT_EQ(app.messagePasses, 1);
  EXPECT_EQ(linesWhilePainting, kPlaceholders);
  EXPECT_EQ(tableCallsWhilePainting, 0);
}

TEST_F(ConnectionFormTest, KeepsThePlaceholdersWithoutRows) {
  struct Case {
    const char* name;
    std::uint32_t firstCall, secondCall;
  };
  const Case cases[] = {
      {"empty table", kErrorInsufficientBuffer, kNoError},
      {"size query fails", 87, kNoError},
      {"fill fails", kErrorInsufficientBuffer, 31},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeConnectionView fresh;
    FakeInterfaceTable failing;
    failing.firstCallResult = c.firstCall;
    failing.secondCallResult = c.secondCall;
    if (c.secondCall != kNoError) failing.rows.push_back(MakeRow("eth0", 1, 0, 0));
    TAllConectionsForm dialog{ConnectionDialogPorts{state, store, failing, clock, app}, fresh};
    dialog.FormActivate();
    EXPECT_EQ(fresh.lines, kPlaceholders);
    EXPECT_EQ(fresh.selected, -1);
    EXPECT_FALSE(fresh.okEnabled);
  }
}

TEST_F(ConnectionFormTest, RowWithoutDescriptionEndsActivationAtThatRow) {
  table.rows = {MakeRow("A", 1, 0, 0), MakeRow("", 1, 0, 0, 0), MakeRow("C", 1, 0, 0)};
  ListingTakes(5000);
  try {
    form.FormActivate();
    FAIL() << "no error";
  } catch (const RangeError& error) {
    EXPECT_STREQ(error.what(), "Range check error");
  }
  EXPECT_EQ(view.lines, Lines{"A"});
  EXPECT_EQ(view.selected, -1);
  EXPECT_TRUE(app.boxes.empty());  // no time check
  EXPECT_FALSE(app.terminated);
  EXPECT_EQ(view.modalCancels, 0);
}

TEST_F(ConnectionFormTest, ListBox1ClickEnablesOk) {
  SetRows({"eth0"});
  form.FormActivate();
  form.ListBox1Click();
  EXPECT_TRUE(view.okEnabled);
}

TEST_F(ConnectionFormTest, BitBtn1ClickStoresTheSelectedLineAndAccepts) {
  SetRows({"lo", "  Intel PRO/1000  ", "eth1"});
  form.FormActivate();
  view.selected = 1;
  form.BitBtn1Click();
  EXPECT_EQ(store.writes, (std::vector<FakeStore::Write>{
                              {"Software\\Zorvane\\Pelliton", "NetworkType", "Intel PRO/1000"}}));
  EXPECT_TRUE(state.DialogAccepted);
  EXPECT_TRUE(state.NetworkType.empty());  // the caller reads it back from the store
}

TEST_F(ConnectionFormTest, BitBtn1ClickStoresAPlaceholderLikeADescription) {
  form.FormActivate();
  view.selected = 2;
  form.BitBtn1Click();
  EXPECT_EQ(store.Get("NetworkType"), "Please Wait.....");
  EXPECT_TRUE(state.DialogAccepted);
}

TEST_F(ConnectionFormTest, BitBtn1ClickWithoutSelectionFailsAndWritesNothing) {
  for (bool accepted : {false, true}) {
    SCOPED_TRACE(accepted);
    state.DialogAccepted = accepted;
    form.FormActivate();
    try {
      form.BitBtn1Click();
      FAIL() << "no error";
    } catch (const ListIndexError& error) {
      EXPECT_STREQ(error.what(), "List index out of bounds (-1)");
    }
    EXPECT_TRUE(store.writes.empty());
    EXPECT_EQ(state.DialogAccepted, accepted);
  }
}

TEST_F(ConnectionFormTest, FailedStoreWriteLeavesDialogAcceptedAlone) {
  SetRows({"eth0"});
  store.failingWrites.insert("NetworkType");
  form.FormActivate();
  EXPECT_THROW(form.BitBtn1Click(), RegistryError);
  EXPECT_FALSE(state.DialogAccepted);
}

TEST_F(ConnectionFormTest, BitBtn2ClickClearsDialogAccepted) {
  state.DialogAccepted = true;
  form.BitBtn2Click();
  EXPECT_FALSE(state.DialogAccepted);
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(ConnectionFormTest, Label1ClickThenCancelKeepsTheStoredLine) {
  SetRows({"eth0", "wlan0"});
  form.FormActivate();
  form.BitBtn1Click();  // Label1, OK still disabled: line 0
  form.BitBtn2Click();
  EXPECT_EQ(store.Get("NetworkType"), "eth0");
  EXPECT_FALSE(state.DialogAccepted);
}

struct TimingCase {
  const char* name;
  std::uint32_t start;
  std::uint32_t elapsed;
  bool rows;
  bool slow;
};

TEST_F(ConnectionFormTest, TimesTheListing) {
  const TimingCase cases[] = {
      {"instant", 1000, 0, true, false},
      {"exactly the limit", 1000, 2400, true, false},
      {"one over", 1000, 2401, true, true},
      {"one over, empty table", 1000, 2401, false, true},
      {"exactly the limit across the wrap", 0xFFFFFF00u, 2400, true, false},
      {"one over across the wrap", 0xFFFFFF00u, 2401, true, true},
      {"far over", 0, 60000, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MeterState caller;
    caller.DialogAccepted = true;  // whatever the caller set stays
    FakeApplication application;
    FakeInterfaceTable rows;
    if (c.rows) rows.rows.push_back(MakeRow("eth0", 1, 0, 0));
    FakeConnectionView fresh;
    clock.tick = c.start;
    application.onProcessMessages = [&] { clock.tick += c.elapsed; };
    TAllConectionsForm dialog{ConnectionDialogPorts{caller, store, rows, clock, application},
                              fresh};
    dialog.FormActivate();

    if (c.slow) {
      ASSERT_EQ(application.boxes.size(), 1u);
      EXPECT_EQ(application.boxes[0].text, kSlowMessage);
      EXPECT_EQ(application.boxes[0].kind, "message");
    } else {
      EXPECT_TRUE(application.boxes.empty());
    }
    EXPECT_EQ(application.terminated, c.slow);
    EXPECT_EQ(fresh.modalCancels, c.slow ? 1 : 0);
    EXPECT_TRUE(caller.DialogAccepted);
    EXPECT_TRUE(store.writes.empty());
  }
}

TEST_F(ConnectionFormTest, SlowListingTerminatesAfterTheMessageAndThenEndsTheShowing) {
  std::string order;
  struct OrderView : FakeConnectionView {
    std::string* order;
    void EndModalCancel() override { *order += "end;"; }
  } ordered;
  ordered.order = &order;
  struct OrderApp : FakeApplication {
    std::string* order;
    void ShowMessage(std::string_view) override { *order += "message;"; }
    void Terminate() override { *order += "terminate;"; }
  } application;
  application.order = &order;
  application.onProcessMessages = [this] { clock.tick += 2401; };
  TAllConectionsForm dialog{ConnectionDialogPorts{state, store, table, clock, application},
                            ordered};
  dialog.FormActivate();
  EXPECT_EQ(order, "message;terminate;end;");
}

}  // namespace
}  // namespace pelliton::testing
