#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "store/errors.h"
#include "ui/meter/form_fixture.h"

namespace pelliton::testing {
namespace {

using Journal = std::vector<std::string>;

class OptionTest : public FormTest {
 protected:
  void SetUp() override {
    store.journal.lines = window.journal.lines = app.journal.lines = &journal;
  }

  std::vector<std::string> SettingsNames() const {
    std::vector<std::string> names;
    for (const auto& [where, text] : store.values)
      if (where.first == "Software\\Zorvane\\Pelliton") names.push_back(where.second);
    return names;
  }

  Journal journal;
};

std::string Mark(MenuItem item, bool on) {
  return "mark " + std::to_string(static_cast<int>(item)) + (on ? "=1" : "=0");
}

// Item, its stored value, its flag, and the journal of a toggle on and off.
struct ToggleCase {
  MenuItem item;
  const char* name;
  bool MeterState::*flag;
  std::vector<std::string> on;   // from a clear mark
  std::vector<std::string> off;  // and back
};

const ToggleCase kToggles[] = {
    {MenuItem::StayOnTop1,
     "StayTop",
     nullptr,
     {"store StayTop=1", "topmost 1", "mark 7=1"},
     {"store StayTop=0", "topmost 0", "mark 7=0"}},
    {MenuItem::Freeze1,
     "FreezeOn",
     &MeterState::FreezeOn,
     {"store FreezeOn=1", "mark 1=1"},
     {"store FreezeOn=0", "mark 1=0"}},
    {MenuItem::Shuffle1,
     "ShuffleOn",
     &MeterState::ShuffleOn,
     {"store ShuffleOn=1", "mark 0=1"},
     {"store ShuffleOn=0", "mark 0=0"}},
    {MenuItem::ShowMeter1,
     "ShowMeter",
     nullptr,
     {"store ShowMeter=1", "shown 1", Mark(MenuItem::ShowMeter1, true)},
     {"store ShowMeter=0", "shown 0", Mark(MenuItem::ShowMeter1, false)}},
};

TEST_F(OptionTest, TogglesStoreThenChangeThenMark) {
  for (const ToggleCase& toggle : kToggles) {
    SCOPED_TRACE(toggle.name);
    window.checks[toggle.item] = false;
    journal.clear();
    form.MenuCommand(toggle.item);
    EXPECT_EQ(journal, toggle.on);
    EXPECT_TRUE(toggle.flag == nullptr || state.*toggle.flag);
    journal.clear();
    form.MenuCommand(toggle.item);
    EXPECT_EQ(journal, toggle.off);
    EXPECT_FALSE(toggle.flag != nullptr && state.*toggle.flag);
  }
}

TEST_F(OptionTest, AFailingStoreWriteChangesNothingElse) {
  state.FreezeOn = true;
  window.checks = {{MenuItem::StayOnTop1, true}, {MenuItem::Freeze1, true}};
  for (const ToggleCase& toggle : kToggles) {
    SCOPED_TRACE(toggle.name);
    store.failingWrites.insert(toggle.name);
    journal.clear();
    EXPECT_THROW(form.MenuCommand(toggle.item), RegistryError);
    EXPECT_TRUE(journal.empty());
  }
  EXPECT_TRUE(state.FreezeOn);
  EXPECT_FALSE(state.ShuffleOn);
  EXPECT_TRUE(window.MenuChecked(MenuItem::StayOnTop1));
  EXPECT_FALSE(window.MenuChecked(MenuItem::Shuffle1));
}

// Closing a dialog raises the meter into the band that Stay On Top, as last chosen, says.
TEST_F(OptionTest, ADialogsCloseRaisesTheMeterAsStayOnTopSays) {
  const Journal kChooseThenClose[] = {
      {"store StayTop=0", "topmost 0", "mark 7=0", "topmost 0", "top"},
      {"store StayTop=1", "topmost 1", "mark 7=1", "topmost 1"},
  };
  for (const Journal& expected : kChooseThenClose) {
    journal.clear();
    form.MenuCommand(MenuItem::StayOnTop1);
    RaiseMeter(window);
    EXPECT_EQ(journal, expected);
  }
}

struct ColorCase {
  const char* what;
  std::optional<std::int32_t> answer;
  std::int32_t dialogOpensWith;  // the dialog's own colour
  std::int32_t clockColor;
};

// One run of the program, in order: the labels start lime.
const ColorCase kColors[] = {
    {"cancelled first: black offered, lime again", std::nullopt, 0x000000, 0x00FF00},
    {"red chosen", 0x0000FF, 0x000000, 0x0000FF},
    {"silver chosen: shown one step redder", 0xC0C0C0, 0x0000FF, 0xC0C0C1},
    {"cancelled: silver offered, kept as it is", std::nullopt, 0xC0C0C0, 0xC0C0C1},
    {"white chosen", 0xFFFFFF, 0xC0C0C0, 0xFFFFFF},
};

TEST_F(OptionTest, ColourIsAppliedAndStoredConfirmedOrNot) {
  state.ClockColor = 0x00FF00;
  for (const ColorCase& color : kColors) {
    SCOPED_TRACE(color.what);
    window.colorAnswers = {color.answer};
    window.color = -1;
    form.MenuCommand(MenuItem::ClockColor1);
    EXPECT_EQ(window.colorDialogOpenedWith.back(), color.dialogOpensWith);
    EXPECT_EQ(state.ClockColor, color.clockColor);
    EXPECT_EQ(window.color, color.clockColor);
    EXPECT_EQ(store.Get("Color"), std::to_string(color.clockColor));
  }
  EXPECT_EQ(store.WrittenNames(), std::vector<std::string>(std::size(kColors), "Color"));
}

TEST_F(OptionTest, WebSiteAndAboutStoreNothing) {
  form.MenuCommand(MenuItem::WebSite1);
  form.MenuCommand(MenuItem::About1);
  form.MenuCommand(MenuItem::About1);
  EXPECT_EQ(window.shellOpened, std::vector<std::string>{"http://www.pelliton.example/"});
  EXPECT_EQ(dialogs.shown, (std::vector<std::string>{"About", "About"}));
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(OptionTest, StoredSilverIsShownOneStepRedderAndLeftStored) {
  SetInstalled();
  store.Set("Color", "12632256");
  form.FormActivate();
  EXPECT_EQ(state.ClockColor, 12632257);
  EXPECT_EQ(window.color, 12632257);
  EXPECT_EQ(store.Get("Color"), "12632256");
}

class RemovalTest : public OptionTest {
 protected:
  void SetUp() override {
    OptionTest::SetUp();
    store.Set("Zorvane Pelliton", "C:\\Pelliton.exe", kRunKey);
    store.Set("Other", "stays", kRunKey);
    store.Set("TotalData", "1234");
    store.Set("Color", "255");
    window.timerEnabled = true;
  }
};

TEST_F(RemovalTest, AsksStopsDeletesThanksAndEnds) {
  form.MenuCommand(MenuItem::RemoveThisProgram1);
  EXPECT_EQ(journal, (Journal{"ask", "timer 0", "stop writing", "delete value Zorvane Pelliton",
                              "delete key Software\\Zorvane\\Pelliton", "message", "terminate"}));
  ASSERT_EQ(app.boxes.size(), 2u);
  EXPECT_EQ(app.boxes[0].text, "Do you want to remove this software?");
  EXPECT_EQ(app.boxes[0].caption, "Terminate Query");
  EXPECT_EQ(app.boxes[0].kind, "yesno");
  EXPECT_EQ(app.boxes[1].text,
            "Thank You For Using The Zorvane Pelliton.\r\r"
            "Zorvane Pelliton has been uninstalled successfully");
  EXPECT_EQ(app.boxes[1].kind, "message");
  EXPECT_TRUE(SettingsNames().empty());
  EXPECT_FALSE(store.Has("Zorvane Pelliton", kRunKey));
  EXPECT_EQ(store.Get("Other", kRunKey), "stays");
}

// Thanks only when both are gone, read back; otherwise the error names what stayed, and
// the program ends all the same.
TEST_F(RemovalTest, ReportsWhatCouldNotBeRemoved) {
  const std::string kKey = "Software\\Zorvane\\Pelliton";
  const std::vector<std::pair<std::set<std::string>, std::string>> cases = {
      {{"Zorvane Pelliton"}, "Failed to delete 'Zorvane Pelliton'"},
      {{kKey}, "Failed to delete 'Software\\Zorvane\\Pelliton'"},
      {{kKey, "Zorvane Pelliton"}, "Failed to delete 'Zorvane Pelliton'"},
  };
  for (const auto& [undeletable, error] : cases) {
    store = FakeStore{};
    app = FakeApplication{};
    SetUp();
    store.undeletable = undeletable;
    try {
      form.RemovePrograme();
      ADD_FAILURE() << error;
    } catch (const RegistryError& e) {
      EXPECT_EQ(e.what(), error);
    }
    EXPECT_EQ(app.boxes.size(), 1u);  // the question only
    EXPECT_TRUE(app.terminated);
  }
}

TEST_F(RemovalTest, NoChangesNothing) {
  app.answerYes = false;
  const auto before = store.values;
  form.RemoveThisProgram1Click();
  EXPECT_EQ(journal, Journal{"ask"});
  EXPECT_EQ(store.values, before);
  EXPECT_TRUE(window.timerEnabled);
  EXPECT_FALSE(app.terminated);
}

TEST_F(RemovalTest, NothingWritesAfterTheDeletions) {
  form.RemovePrograme();
  window.colorAnswers = {0x0000FF};
  form.Timer1Timer();
  form.Label1MouseUp(MouseButton::Left, 0, 0);
  form.Freeze1Click();
  form.ClockColor1Click();
  form.WriteRegistry(RootKey::CurrentUser, "Software\\Zorvane\\Pelliton", "NetworkType", "lo");
  EXPECT_TRUE(SettingsNames().empty());
  EXPECT_TRUE(store.writes.empty());
}

}  // namespace
}  // namespace pelliton::testing
