// PopupMenu1: its items, check marks, opening and commands.
#include "ui/meter_win32/meter_fixture.h"

namespace pelliton::testing {
namespace {

struct MenuEntry {
  UINT id;
  const wchar_t* caption;
};

constexpr MenuEntry kExpectedMenu[] = {
    {IDM_SHUFFLE, L"Shuffle"},
    {IDM_FREEZE, L"Freeze"},
    {IDM_USAGE_STATISTICS, L"Monthly Statistics"},
    {IDM_CYCLE_DATE, L"Change Cycle Date"},
    {IDM_CLOCK_COLOR, L"Change The Color"},
    {IDM_DISPLAY_FONT_SIZE, L"Change The Size"},
    {IDM_CHANGE_NETWORK, L"Change Network"},
    {IDM_STAY_ON_TOP, L"Stay On Top"},
    {IDM_EXIT_MENU, L"Exit This Menu"},
    {IDM_REMOVE_PROGRAM, L"Remove This Program"},
    {IDM_WEB_SITE, L"" PELLITON_WEB_SITE},
    {IDM_ABOUT, L"About"},
    {IDM_DATA_CAP, L"Monthly Data Cap"},
    {IDM_USAGE_HISTORY, L"Usage History"},
    {IDM_METERED_CONNECTIONS, L"Metered Connections..."},
    {IDM_PLAN_HOURS, L"Plan Hours..."},
    {IDM_SHOW_METER, L"Show Meter"},
};
constexpr int kItems = static_cast<int>(std::size(kExpectedMenu));

using MeterMenuTest = MeterWindowTest;

TEST_F(MeterMenuTest, HasItsItemsInOrderWithoutSeparatorsOrSubmenus) {
  HMENU menu = meter.PopupMenu1();
  ASSERT_EQ(GetMenuItemCount(menu), kItems);
  for (int index = 0; index < kItems; ++index) {
    SCOPED_TRACE(index);
    wchar_t caption[64] = {};
    GetMenuStringW(menu, static_cast<UINT>(index), caption, 64, MF_BYPOSITION);
    EXPECT_STREQ(caption, kExpectedMenu[index].caption);
    EXPECT_EQ(GetMenuItemID(menu, index), kExpectedMenu[index].id);
    const UINT state = GetMenuState(menu, static_cast<UINT>(index), MF_BYPOSITION);
    EXPECT_FALSE(state & (MF_SEPARATOR | MF_POPUP | MF_GRAYED | MF_DISABLED));
  }
}

TEST_F(MeterMenuTest, WebSiteIsTheDefaultItem) {
  EXPECT_EQ(GetMenuDefaultItem(meter.PopupMenu1(), FALSE, 0), static_cast<UINT>(IDM_WEB_SITE));
}

TEST_F(MeterMenuTest, OnlyStayOnTopAndShowMeterAreCheckedAtFirst) {
  for (int index = 0; index < kItems; ++index) {
    const auto item = static_cast<MenuItem>(index);
    EXPECT_EQ(meter.MenuChecked(item), item == MenuItem::StayOnTop1 || item == MenuItem::ShowMeter1)
        << index;
  }
}

TEST_F(MeterMenuTest, CheckMarksAreSetAndClearedPerItem) {
  meter.SetMenuChecked(MenuItem::Freeze1, true);
  meter.SetMenuChecked(MenuItem::StayOnTop1, false);
  EXPECT_TRUE(meter.MenuChecked(MenuItem::Freeze1));
  EXPECT_FALSE(meter.MenuChecked(MenuItem::Shuffle1));
  EXPECT_FALSE(meter.MenuChecked(MenuItem::StayOnTop1));
  EXPECT_TRUE(GetMenuState(meter.PopupMenu1(), IDM_FREEZE, MF_BYCOMMAND) & MF_CHECKED);
  meter.SetMenuChecked(MenuItem::Freeze1, false);
  EXPECT_FALSE(meter.MenuChecked(MenuItem::Freeze1));
}

TEST_F(MeterMenuTest, EachCommandReachesTheFormAsItsItem) {
  for (const MenuEntry& entry : kExpectedMenu)
    SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(entry.id, 0), 0);
  std::vector<std::string> expected;
  for (int index = 0; index < kItems; ++index)
    expected.push_back("menu " + std::to_string(index));
  EXPECT_EQ(events.calls, expected);
}

TEST_F(MeterMenuTest, ALabelClickNotificationIsNoCommand) {
  SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(IDC_LABEL1, STN_CLICKED),
               reinterpret_cast<LPARAM>(Label(IDC_LABEL1)));
  SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(IDM_PLAN_HOURS + 1, 0), 0);
  EXPECT_TRUE(events.calls.empty());
}

TEST_F(MeterMenuTest, OpenPopupMenuShowsItsTopLeftCornerAtThePoint) {
  MenuWatcher watcher;
  meter.OpenPopupMenu({120, 90});
  EXPECT_EQ(watcher.opened, 1);
  EXPECT_EQ(watcher.closed, 1);
  EXPECT_EQ(watcher.lastTopLeft.x, 120);
  EXPECT_EQ(watcher.lastTopLeft.y, 90);
}

TEST_F(MeterMenuTest, WindowContextMenuOpensAtTheMouse) {
  MenuWatcher watcher;
  SendMessageW(Window(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Label(IDC_LABEL2)),
               MAKELPARAM(300, 200));
  EXPECT_EQ(watcher.opened, 1);
  EXPECT_EQ(watcher.lastTopLeft.x, 300);
  EXPECT_EQ(watcher.lastTopLeft.y, 200);
}

TEST_F(MeterMenuTest, RightClickThroughToTheWindowOpensTheMenuOnce) {
  MenuWatcher watcher;
  SendMessageW(Window(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(190, 25));
  SendMessageW(Window(), WM_RBUTTONUP, 0, MAKELPARAM(190, 25));
  PumpPending();
  EXPECT_EQ(watcher.opened, 1);
  EXPECT_TRUE(events.calls.empty());
}

TEST_F(MeterMenuTest, RightClickOnLabel1LeavesTheMenuToTheForm) {
  MenuWatcher watcher;
  SendToLabel1(WM_RBUTTONDOWN, MK_RBUTTON, 40, 12);
  SendToLabel1(WM_RBUTTONUP, 0, 40, 12);
  SendMessageW(Label(IDC_LABEL1), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Label(IDC_LABEL1)),
               MAKELPARAM(40, 12));
  PumpPending();
  EXPECT_EQ(watcher.opened, 0);
  EXPECT_EQ(events.calls, (std::vector<std::string>{"down right 40,12", "up right 40,12"}));
}

}  // namespace
}  // namespace pelliton::testing
