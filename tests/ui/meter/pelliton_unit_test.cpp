#include <gtest/gtest.h>

#include "store/errors.h"
#include "ui/error_handler.h"
#include "ui/meter/form_fixture.h"

namespace pelliton::testing {
namespace {

TEST(GetPlatformName, NamesTheTwoFamilies) {
  EXPECT_EQ(GetPlatformName(0), "");
  EXPECT_EQ(GetPlatformName(1), "Win98");
  EXPECT_EQ(GetPlatformName(2), "WinNT");
  EXPECT_EQ(GetPlatformName(3), "");
}

using FormCreateTest = FormTest;

TEST_F(FormCreateTest, RefusesEverythingButNt) {
  for (std::uint32_t id : {0u, 1u, 3u}) {
    app.boxes.clear();
    EXPECT_FALSE(form.FormCreate(id));
    ASSERT_EQ(app.boxes.size(), 1u);
    EXPECT_EQ(app.boxes[0].text, "This Software is for Windows 2000/XP/NT only.");
    EXPECT_EQ(app.boxes[0].caption, "Windows Version Compatibility Error");
    EXPECT_EQ(app.boxes[0].kind, "box");
  }
  EXPECT_TRUE(store.writes.empty());
  EXPECT_EQ(store.reads, 0);
}

TEST_F(FormCreateTest, AcceptsNtQuietly) {
  EXPECT_TRUE(form.FormCreate(2));
  EXPECT_TRUE(app.boxes.empty());
}

class DragTest : public FormTest {
 protected:
  void SetUp() override {
    window.left = 500;
    window.top = 300;
  }
};

TEST_F(DragTest, TheGrabbedPointFollowsTheMouseVerticalFirst) {
  form.Label1MouseDown(MouseButton::Left, 10, 5);
  form.Label1MouseMove(true, 30, 2);
  EXPECT_EQ(window.top, 297);
  EXPECT_EQ(window.left, 520);
  EXPECT_EQ(window.moves, "TL");
  EXPECT_TRUE(store.writes.empty());  // nothing stored while dragging
}

TEST_F(DragTest, MovesOnlyWhileTheLeftButtonIsHeld) {
  form.Label1MouseDown(MouseButton::Middle, 10, 5);
  form.Label1MouseMove(false, 90, 90);
  EXPECT_EQ(window.left, 500);
  EXPECT_EQ(window.top, 300);
}

TEST_F(DragTest, ReleaseClampsThenStoresTopThenLeft) {
  window.left = 1280 - 200;
  window.top = 300;
  form.Label1MouseDown(MouseButton::Left, 1, 1);
  form.Label1MouseUp(MouseButton::Left, 1, 1);
  EXPECT_EQ(window.left, 1280 - 260);
  EXPECT_EQ(store.WrittenNames(), (std::vector<std::string>{"Top", "Left"}));
  EXPECT_EQ(store.Get("Top"), "300");
  EXPECT_EQ(store.Get("Left"), "1020");
}

TEST_F(DragTest, ReleaseWithoutMovingStillStores) {
  form.Label1MouseUp(MouseButton::Right, 0, 0);
  EXPECT_EQ(store.Get("Top"), "300");
  EXPECT_EQ(store.Get("Left"), "500");
}

TEST_F(DragTest, NegativeLeftIsStoredWithItsSign) {
  window.left = -14;
  form.Label1MouseUp(MouseButton::Left, 0, 0);
  EXPECT_EQ(store.Get("Left"), "-14");
}

TEST_F(DragTest, MiddleReleaseLeavesTheRightMarginAlone) {
  window.left = 1280 - 100;
  window.top = -9;
  form.Label1MouseUp(MouseButton::Middle, 0, 0);
  EXPECT_EQ(window.left, 1280 - 100);
  EXPECT_EQ(window.top, 0);
  EXPECT_EQ(store.Get("Left"), "1180");
}

TEST_F(DragTest, FailedTopWriteLeavesLeftUnwrittenAndTheWindowClamped) {
  window.top = -50;
  store.failingWrites.insert("Top");
  try {
    form.Label1MouseUp(MouseButton::Left, 0, 0);
    FAIL();
  } catch (const RegistryError& e) {
    EXPECT_STREQ(e.what(), "Failed to set data for 'Top'");
  }
  EXPECT_EQ(window.top, 0);
  EXPECT_FALSE(store.Has("Left"));
}

TEST_F(DragTest, RightPressOpensTheMenuBelowTheWindowsTopLeft) {
  form.Label1MouseDown(MouseButton::Right, 120, 17);
  ASSERT_EQ(window.menuOpenedAt.size(), 1u);
  EXPECT_EQ(window.menuOpenedAt[0].x, 500);
  EXPECT_EQ(window.menuOpenedAt[0].y, 330);
  EXPECT_EQ(state.DragStartX, 120);
  EXPECT_EQ(state.DragStartY, 17);
}

TEST_F(DragTest, PositionsBeyondThe32BitRangeRaiseInsteadOfWrapping) {
  window.top = 2147483647;
  EXPECT_THROW(form.Label1MouseDown(MouseButton::Right, 0, 0), RangeError);
  form.Label1MouseDown(MouseButton::Left, 0, 0);
  EXPECT_THROW(form.Label1MouseMove(true, 0, 1), RangeError);
}

class ChangeNetworkTest : public FormTest {
 protected:
  void SetUp() override {
    state.NetworkType = "eth0";
    state.AdapterBound = true;
    state.AdapterRow = 3;
    state.TotalDataKB = 5000;
    state.DownDeltaKB = 7;
    state.UpDeltaKB = 8;
    state.Seconds = 20;
    state.Minutes = 30;
    state.Hours = 4;
    state.TodayMonth = 12;
    state.LastMonth = 11;
    state.CycleDay = 15;
    state.AllData = u"01 Nov, 2026";
  }
};

TEST_F(ChangeNetworkTest, AnsweredNoChangesNothing) {
  app.answerYes = false;
  form.MenuCommand(MenuItem::ChangeNetworkAdaptor1);
  ASSERT_EQ(app.boxes.size(), 1u);
  EXPECT_EQ(app.boxes[0].text,
            "Changing Network Adaptor will clear all the previous data. Do you want to "
            "countinue?");
  EXPECT_EQ(app.boxes[0].caption, "Conformation");
  EXPECT_EQ(app.boxes[0].kind, "yesno");
  EXPECT_EQ(dialogs.connectionShowings, 0);
  EXPECT_TRUE(store.writes.empty());
  EXPECT_TRUE(state.AdapterBound);
  EXPECT_EQ(state.TotalDataKB, 5000u);
}

TEST_F(ChangeNetworkTest, ConfirmedChoiceClearsTheCycleAndRebinds) {
  ConfirmInDialog("eth1");
  store.Set("LastBoot", "13441208400000");
  form.ChangeNetworkAdaptor1Click();
  EXPECT_FALSE(store.Has("LastBoot"));  // the readings are forgotten
  EXPECT_EQ(store.WrittenNames(),
            (std::vector<std::string>{"PlanData", "TotalData", "Seconds", "Minutes", "Hours",
                                      "CycleStart", "LastMonth"}));
  EXPECT_EQ(store.Get("TotalData"), "0");
  EXPECT_EQ(store.Get("LastMonth"), "11");  // 8 December: the 15th has not come yet
  EXPECT_EQ(store.Get("Hours"), "0");
  EXPECT_EQ(state.TotalDataKB, 0u);
  EXPECT_EQ(state.DownDeltaKB, 0u);
  EXPECT_EQ(state.UpDeltaKB, 0u);
  EXPECT_EQ(state.Seconds + state.Minutes + state.Hours, 0);
  EXPECT_EQ(state.NetworkType, "eth1");
  EXPECT_EQ(state.AdapterRow, kUnlocatedRow);
  EXPECT_FALSE(state.AdapterBound);
  // Left alone: the cycle day, the history.
  EXPECT_EQ(state.LastMonth, 11);
  EXPECT_EQ(state.CycleDay, 15);
  EXPECT_EQ(state.AllData, u"01 Nov, 2026");
  // On or after the billing day: this month, in memory as in the store.
  clock.SetDate(2026, 12, 15);
  form.ChangeNetworkAdaptor1Click();
  EXPECT_EQ(state.LastMonth, 12);
  EXPECT_EQ(store.Get("LastMonth"), "12");
}

TEST_F(ChangeNetworkTest, CancelledDialogOnlyUnbinds) {
  state.DialogAccepted = true;  // the caller clears it before showing
  form.ChangeNetworkAdaptor1Click();
  EXPECT_EQ(dialogs.connectionShowings, 1);
  EXPECT_TRUE(store.writes.empty());
  EXPECT_FALSE(state.AdapterBound);
  EXPECT_EQ(state.AdapterRow, 3);
  EXPECT_EQ(state.TotalDataKB, 5000u);
}

TEST_F(ChangeNetworkTest, StoredButUnconfirmedChoiceKeepsTheOldConnectionInMemory) {
  // A click on the dialog's label stores a line, then Cancel.
  dialogs.onConnectionDialog = [this] { store.Set("NetworkType", "eth9"); };
  form.ChangeNetworkAdaptor1Click();
  EXPECT_EQ(state.NetworkType, "eth0");
  EXPECT_FALSE(state.AdapterBound);
}

TEST_F(ChangeNetworkTest, FailedWriteStopsTheClearingAtThatValue) {
  ConfirmInDialog("eth1");
  store.failingWrites.insert("Seconds");
  EXPECT_THROW(form.ChangeNetworkAdaptor1Click(), RegistryError);
  EXPECT_EQ(store.WrittenNames(), (std::vector<std::string>{"PlanData", "TotalData"}));
  EXPECT_EQ(state.NetworkType, "eth0");
}

// After start-up, a connection name that does not read (nullptr: of another type) is asked
// for, once, and the cycle's figures stay.
struct NameAsked : FormTest {
  void TestBody() override {}
  std::string Start(const char* name, bool confirm, bool firstRun = false) {
    if (!firstRun) SetInstalled();
    if (name == nullptr) store.wrongType.insert("NetworkType");
    store.Set("NetworkType", name == nullptr ? "" : name);
    store.Set("TotalData", "5000");
    if (confirm) ConfirmInDialog("eth1");
    try {
      form.FormActivate();
    } catch (const RegistryError&) {  // its error box
    }
    store.wrongType.clear();
    form.StartUpEnded();
    return std::to_string(dialogs.connectionShowings) + state.NetworkType +
           std::to_string(state.TotalDataKB);
  }
};

TEST(StartUpEnded, AStartWithoutAConnectionNameAsksForOne) {
  for (const char* name : {"", " \t ", static_cast<const char*>(nullptr)})
    EXPECT_EQ(NameAsked().Start(name, true), "1eth15000");
  EXPECT_EQ(NameAsked().Start("", false), "15000");           // cancelled
  EXPECT_EQ(NameAsked().Start("modem", true), "0modem5000");  // reads: "DC" as before
  EXPECT_EQ(NameAsked().Start("", true, true), "1eth15000");  // a first run asks by itself
}

TEST_F(FormTest, TheUsageHistoryIsReadWhenStartUpHasEnded) {
  store.Set("UsageDays", "20261201 20261201,5,5");
  form.StartUpEnded();
  EXPECT_EQ(state.History.Days().size(), 1u);
}

TEST_F(FormTest, ExitThisMenuDoesNothing) {
  form.MenuCommand(MenuItem::ExitMenu1);
  EXPECT_TRUE(store.writes.empty());
  EXPECT_TRUE(app.boxes.empty());
}

TEST(ErrorBoxText, AddsAFullStopAfterCharactersAboveIt) {
  const struct {
    const char* message;
    const char* shown;
  } cases[] = {
      {"Range check error", "Range check error."},
      {"'12a' is not a valid integer value", "'12a' is not a valid integer value."},
      {"Failed to set data for 'Top'", "Failed to set data for 'Top'"},
      {"List index out of bounds (-1)", "List index out of bounds (-1)"},
      {"Already stopped.", "Already stopped."},
      {"dash-", "dash-"},
      {"slash/", "slash/."},
      {"", ""},
      {"caf\xE9", "caf\xE9."},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ErrorBoxText(c.message), c.shown) << c.message;
}

}  // namespace
}  // namespace pelliton::testing
