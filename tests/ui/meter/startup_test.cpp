#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <utility>

#include "store/errors.h"
#include "store/int_parse.h"
#include "ui/meter/form_fixture.h"

namespace pelliton::testing {
namespace {

using StartUpTest = FormTest;

TEST_F(StartUpTest, ConfirmedFirstRunInstallsAndStartsTheMeter) {
  ConfirmInDialog("lo");
  app.exePath = u"C:\\Users\\\u041f\u0451\u0442\u0440\\\u8ba1\\Pelliton.exe";
  store.Set("LastUp", "50");
  form.FormActivate();
  EXPECT_FALSE(store.Has("LastUp"));  // the readings are forgotten

  EXPECT_EQ(dialogs.connectionShowings, 1);
  EXPECT_EQ(store.ReadRegistryWide(RootKey::CurrentUser, kRunKey, "Zorvane Pelliton"), app.exePath);
  ASSERT_EQ(app.boxes.size(), 1u);
  EXPECT_EQ(app.boxes[0].text, "Zorvane Live Pelliton has been installed successfully.");
  EXPECT_EQ(app.boxes[0].kind, "message");
  EXPECT_TRUE(window.labelsVisible);
  EXPECT_EQ(state.NetworkType, "lo");
  EXPECT_EQ(window.top, 0);
  EXPECT_EQ(window.left, 1280 - 310);
  EXPECT_EQ(window.moves, "TL");
  EXPECT_EQ(window.label1, "0 KB");
  EXPECT_EQ(window.fontSize, 18);
  EXPECT_EQ(window.color, 65280);
  EXPECT_EQ(window.label2Top, 1);
  EXPECT_EQ(window.label3Top, 14);
  EXPECT_FALSE(window.MenuChecked(MenuItem::Freeze1));
  EXPECT_FALSE(window.MenuChecked(MenuItem::Shuffle1));
  EXPECT_TRUE(window.MenuChecked(MenuItem::StayOnTop1));
  EXPECT_TRUE(window.topmost);
  EXPECT_FALSE(window.onTaskbar);
  EXPECT_TRUE(window.timerEnabled);
  EXPECT_FALSE(app.terminated);
  EXPECT_EQ(state.AdapterRow, kUnlocatedRow);
  EXPECT_FALSE(state.AdapterBound);
  EXPECT_EQ(state.CycleDay, 1);
  EXPECT_EQ(state.LastMonth, 0);
  EXPECT_EQ(state.AllData, u"?? ???, ????");
  EXPECT_EQ(state.TodayMonth, 12);
  EXPECT_EQ(state.TodayDay, 8);
}

// A key that cannot be opened (skipped without a word) and a value that cannot be set: no
// success message; the meter starts all the same and then the store's error is raised.
TEST_F(StartUpTest, AnAutostartEntryThatIsNotThereIsReportedAfterTheStart) {
  const std::function<void(FakeStore&)> spoilers[] = {
      [](FakeStore& s) { s.lockedKeys.insert(kRunKey); },
      [](FakeStore& s) { s.failingWrites.insert("Zorvane Pelliton"); },
  };
  for (const auto& spoil : spoilers) {
    MeterState s;
    FakeStore st;
    FakeMeterWindow w;
    FakeApplication a;
    spoil(st);
    st.Set("TotalData", "1536");
    dialogs.onConnectionDialog = [&] { s.DialogAccepted = true; };
    TPellitonForm f{s, FormPorts{st, table, clock, locale, w, a, dialogs}};
    try {
      f.FormActivate();
      ADD_FAILURE() << "no error";
    } catch (const RegistryError& e) {
      EXPECT_STREQ(e.what(), "Failed to set data for 'Zorvane Pelliton'");
    }
    EXPECT_TRUE(a.boxes.empty());
    EXPECT_FALSE(st.Has("Zorvane Pelliton", kRunKey));
    EXPECT_TRUE(w.labelsVisible);
    EXPECT_EQ(w.label1, "1.50 MB");
    EXPECT_TRUE(w.timerEnabled);
    EXPECT_TRUE(w.topmost);
    EXPECT_FALSE(a.terminated);
  }
}

TEST_F(StartUpTest, LabelsStayHiddenWhileTheConnectionIsChosen) {
  bool hiddenDuringDialog = false;
  dialogs.onConnectionDialog = [&] { hiddenDuringDialog = !window.labelsVisible; };
  form.FormActivate();
  EXPECT_TRUE(hiddenDuringDialog);
}

TEST_F(StartUpTest, CancelledFirstRunEndsTheProgramWithoutInstalling) {
  form.FormActivate();

  ASSERT_EQ(app.boxes.size(), 1u);
  EXPECT_EQ(app.boxes[0].text, "Pelliton installation cancelled");
  EXPECT_EQ(app.boxes[0].caption, "Installation Cancel");
  EXPECT_EQ(app.boxes[0].kind, "box");
  EXPECT_FALSE(store.Has("Zorvane Pelliton", kRunKey));
  EXPECT_TRUE(app.terminated);
  EXPECT_FALSE(window.labelsVisible);
  // The sequence still runs to its end; the program ends before the first tick.
  EXPECT_TRUE(window.timerEnabled);
}

TEST_F(StartUpTest, EmptyAutostartValueIsAFirstRunToo) {
  store.Set("Zorvane Pelliton", "", kRunKey);
  form.FormActivate();
  EXPECT_EQ(dialogs.connectionShowings, 1);
}

TEST_F(StartUpTest, InstalledStartRestoresEverythingAsStored) {
  SetInstalled();
  store.Set("NetworkType", "eth0");
  store.Set("Top", "-5");
  store.Set("Left", "1200");  // partly off the screen: applied unchanged
  store.Set("FontSize", "26");
  store.Set("Color", "255");
  store.Set("TotalData", "1536");
  store.Set("FreezeOn", "1");
  store.Set("ShuffleOn", "0");
  store.Set("StayTop", "0");
  state.Seconds = 40;  // left over from nothing: start-up resets before loading
  form.FormActivate();

  EXPECT_EQ(dialogs.connectionShowings, 0);
  EXPECT_TRUE(app.boxes.empty());
  EXPECT_EQ(state.NetworkType, "eth0");
  EXPECT_EQ(window.top, -5);
  EXPECT_EQ(window.left, 1200);
  EXPECT_EQ(window.fontSize, 26);
  EXPECT_EQ(window.label2Top, 5);
  EXPECT_EQ(window.label3Top, 22);
  EXPECT_EQ(window.color, 255);
  EXPECT_EQ(window.label1, "1.50 MB");
  EXPECT_TRUE(window.MenuChecked(MenuItem::Freeze1));
  EXPECT_TRUE(state.FreezeOn);
  EXPECT_FALSE(window.MenuChecked(MenuItem::StayOnTop1));
  EXPECT_EQ(window.topmostCalls, std::vector<bool>{false});
  EXPECT_EQ(state.Seconds, 0);
}

TEST_F(StartUpTest, StayOnTopIsOnForAnythingButExactlyZero) {
  const struct {
    const char* text;
    bool on;
  } cases[] = {{"0", false}, {"1", true}, {"", true}, {" 0", true}, {"00", true}, {"no", true}};
  for (const auto& c : cases) {
    MeterState s;
    FakeMeterWindow w;
    store.Set("StayTop", c.text);
    SetInstalled();
    TPellitonForm f{s, FormPorts{store, table, clock, locale, w, app, dialogs}};
    f.FormActivate();
    EXPECT_EQ(w.topmost, c.on) << c.text;
    EXPECT_EQ(w.MenuChecked(MenuItem::StayOnTop1), c.on) << c.text;
  }
}

TEST_F(StartUpTest, ShowMeterIsOnForAnythingButExactlyZero) {
  for (const auto& [text, on] : {std::pair{"0", false}, {"1", true}, {"", true}, {"x", true}}) {
    MeterState s;
    FakeMeterWindow w;
    store.Set("ShowMeter", text);
    SetInstalled();
    TPellitonForm{s, FormPorts{store, table, clock, locale, w, app, dialogs}}.FormActivate();
    EXPECT_EQ(std::tuple(w.meterShown, w.MenuChecked(MenuItem::ShowMeter1)), std::tuple(on, on));
    EXPECT_EQ(w.trayStatuses.size(), 1u) << "the icon is told at start-up";
  }
}

// A window with no pixel on the 1280 x 800 screen is placed as a left-button release would
// place it; one partly on it stays. Either way nothing is stored.
TEST_F(StartUpTest, AStoredPositionOffTheScreenComesBackAsAReleaseWouldPlaceIt) {
  const struct {
    const char *top, *left;
    std::int32_t wantTop, wantLeft;
  } cases[] = {{"-37", "-240", -37, -240}, {"799", "1279", 799, 1279}, {"0", "1280", 0, 970},
               {"300", "5000", 300, 1020}, {"-38", "100", 0, 100},     {"900", "-500", 740, 0}};
  for (const auto& c : cases) {
    MeterState s;
    FakeMeterWindow w;
    store.Set("Top", c.top);
    store.Set("Left", c.left);
    SetInstalled();
    TPellitonForm{s, FormPorts{store, table, clock, locale, w, app, dialogs}}.FormActivate();
    EXPECT_EQ(std::make_pair(w.top, w.left), std::make_pair(c.wantTop, c.wantLeft)) << c.left;
  }
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(StartUpTest, FontSizeOutOfRangeIsTakenAsAbsentAndTheMeterStarts) {
  SetInstalled();
  store.Set("FontSize", "300");
  store.Set("TotalData", "123");
  EXPECT_THROW(form.FormActivate(), RangeError);
  EXPECT_EQ(state.TotalDataKB, 123u);
  EXPECT_TRUE(window.timerEnabled);
  EXPECT_FALSE(window.onTaskbar);
  EXPECT_EQ(window.fontSize, 18);
  EXPECT_EQ(store.Get("FontSize"), "300");  // until the size is next chosen
  EXPECT_NO_THROW(form.FormActivate());     // shown once per start
}

// Each bad value reads as absent (here the total 0), and the sequence runs to its end.
TEST_F(StartUpTest, BadStoredValuesAreTakenAsAbsent) {
  const struct {
    const char* name;
    std::string text;
  } cases[] = {{"Top", "12a"},           {"Left", " "},
               {"Color", "0x1FFFFFFFF"}, {"Hours", "65536"},
               {"BillCycleDate", "-1"},  {"TotalData", std::string(1 << 20, '1')}};
  for (const auto& c : cases) {
    MeterState s;
    FakeStore st;
    FakeMeterWindow w;
    st.Set("Zorvane Pelliton", "x", kRunKey);
    st.Set("TotalData", "1536");
    st.Set(c.name, c.text);
    TPellitonForm f{s, FormPorts{st, table, clock, locale, w, app, dialogs}};
    EXPECT_ANY_THROW(f.FormActivate()) << c.name;
    EXPECT_TRUE(w.timerEnabled) << c.name;
    EXPECT_EQ(w.label1, c.name == std::string("TotalData") ? "0 KB" : "1.50 MB") << c.name;
  }
}

TEST_F(StartUpTest, WrongTypeOfStoredValueNamesTheValue) {
  SetInstalled();
  store.wrongType.insert("Color");
  store.wrongType.insert("StayTop");  // the first one is shown
  try {
    form.FormActivate();
    FAIL();
  } catch (const RegistryError& e) {
    EXPECT_STREQ(e.what(), "Invalid data type for 'Color'");
  }
  EXPECT_TRUE(window.timerEnabled);
  EXPECT_EQ(window.color, 65280);
}

TEST_F(StartUpTest, RunsOnlyAtTheFirstActivation) {
  ConfirmInDialog("lo");
  form.FormActivate();
  store.Set("FontSize", "20");
  form.FormActivate();
  EXPECT_EQ(dialogs.connectionShowings, 1);
  EXPECT_EQ(window.fontSize, 18);
}

TEST_F(StartUpTest, KeepsStoredFiguresAcrossAReinstall) {
  // The autostart value deleted by hand, the settings key intact.
  store.Set("TotalData", "2048");
  store.Set("NetworkType", "old");
  ConfirmInDialog("eth1");
  form.FormActivate();
  EXPECT_EQ(state.TotalDataKB, 2048u);
  EXPECT_EQ(state.NetworkType, "eth1");
  EXPECT_EQ(window.label1, "2.00 MB");
}

}  // namespace
}  // namespace pelliton::testing
