// The real window driving the form over fakes: a drag, the menu, a tick and the start-up.
#include "fakes/fake_interface_table.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_store.h"
#include "fakes/fake_ui.h"
#include "ui/meter/form_events_win32.h"
#include "ui/meter_win32/meter_fixture.h"

namespace pelliton::testing {
namespace {

class MeterFormTest : public ::testing::Test {
 protected:
  MeterFormTest() { meter.SetEvents(&events); }

  HWND Label1() const { return GetDlgItem(meter.Handle(), IDC_LABEL1); }
  void SendToLabel1(UINT message, WPARAM wParam, int x, int y) {
    SendMessageW(Label1(), message, wParam, MAKELPARAM(x, y));
  }

  MeterState state;
  FakeStore store;
  FakeInterfaceTable table;
  FakeClock clock;
  FakeLocale locale;
  FakeDialogs dialogs;
  Win32Application app;
  Win32MeterWindow meter{app.Handle(), app};
  TPellitonForm form{state, FormPorts{store, table, clock, locale, meter, app, dialogs}};
  FormEvents events{form};
};

TEST_F(MeterFormTest, ADragMovesTheWindowAndTheReleaseStoresItsPosition) {
  meter.SetLeft(300);
  meter.SetTop(200);
  SendToLabel1(WM_LBUTTONDOWN, MK_LBUTTON, 20, 15);
  SendToLabel1(WM_MOUSEMOVE, MK_LBUTTON, 65, -5);
  EXPECT_EQ(meter.Left(), 345);
  EXPECT_EQ(meter.Top(), 180);
  EXPECT_TRUE(store.writes.empty());
  SendToLabel1(WM_LBUTTONUP, 0, 65, -5);
  EXPECT_EQ(store.WrittenNames(), (std::vector<std::string>{"Top", "Left"}));
  EXPECT_EQ(store.Get("Top"), "180");
  EXPECT_EQ(store.Get("Left"), "345");
}

TEST_F(MeterFormTest, TheReleaseClampsToTheScreensMargins) {
  meter.SetLeft(app.ScreenWidth() - 200);
  meter.SetTop(-30);
  SendToLabel1(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  SendToLabel1(WM_LBUTTONUP, 0, 5, 5);
  EXPECT_EQ(meter.Left(), app.ScreenWidth() - 310);
  EXPECT_EQ(meter.Top(), 0);
  EXPECT_EQ(store.Get("Left"), std::to_string(app.ScreenWidth() - 310));
  EXPECT_EQ(store.Get("Top"), "0");
}

TEST_F(MeterFormTest, AFailedStoreWriteIsShownAndLeavesLeftUnwritten) {
  store.failingWrites = {"Top"};
  BoxAnswerer answerer;
  SendToLabel1(WM_LBUTTONDOWN, MK_LBUTTON, 5, 5);
  SendToLabel1(WM_LBUTTONUP, 0, 5, 5);
  ASSERT_EQ(answerer.seen.size(), 1u);
  EXPECT_EQ(answerer.seen[0].caption, L"Pelliton");
  EXPECT_EQ(answerer.seen[0].text, L"Failed to set data for 'Top'");
  EXPECT_FALSE(store.Has("Left"));
}

TEST_F(MeterFormTest, ARightPressOnLabel1OpensTheMenuBelowTheWindowsTopLeft) {
  meter.SetLeft(100);
  meter.SetTop(150);
  MenuWatcher watcher;
  SendToLabel1(WM_RBUTTONDOWN, MK_RBUTTON, 120, 20);
  SendToLabel1(WM_RBUTTONUP, 0, 120, 20);
  PumpPending();
  EXPECT_EQ(watcher.opened, 1);
  EXPECT_EQ(watcher.lastTopLeft.x, 100);
  EXPECT_EQ(watcher.lastTopLeft.y, 180);
}

TEST_F(MeterFormTest, ATickOfTimer1SetsTheLabels) {
  meter.SetTimer1IntervalForTesting(20);
  meter.SetTimer1Enabled(true);
  EXPECT_TRUE(PumpUntil([&] { return TextOf(Label1()) == L"NOADP"; }));
  meter.SetTimer1Enabled(false);
}

TEST_F(MeterFormTest, TheFirstActivationStartsTheMeter) {
  store.Set("Zorvane Pelliton", "C:\\Pelliton.exe",
            "Software\\Microsoft\\Windows\\CurrentVersion\\Run");
  store.Set("Top", "40");
  store.Set("Left", "500");
  store.Set("Color", "255");
  app.ShowTaskbarButton();
  meter.SetTimer1IntervalForTesting(20);
  meter.ShowAndActivate();
  ASSERT_TRUE(PumpUntil([&] { return TextOf(Label1()) == L"NOADP"; }));
  EXPECT_FALSE(IsWindowVisible(app.Handle()));
  EXPECT_TRUE(GetWindowLongPtrW(meter.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(meter.MenuChecked(MenuItem::StayOnTop1));
  EXPECT_EQ(meter.Left(), 500);
  EXPECT_EQ(meter.Top(), 40);
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Label1(), WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_EQ(font.lfHeight, -MulDiv(18, meter.Dpi(), 72));
  RECT label3{};
  GetWindowRect(GetDlgItem(meter.Handle(), IDC_LABEL3), &label3);
  EXPECT_EQ(label3.top - meter.Top(), MulDiv(14, meter.Dpi(), 96));
  meter.SetTimer1Enabled(false);
}

}  // namespace
}  // namespace pelliton::testing
