// The mouse on Label1, the drag cursor, the hint and errors raised inside the handlers.
#include "ui/meter_win32/meter_fixture.h"

#include <commctrl.h>

#include <cstddef>

namespace pelliton::testing {
namespace {

using MeterMouseTest = MeterWindowTest;

TEST_F(MeterMouseTest, ButtonsOnLabel1ReachTheFormInLabelPixels) {
  struct Case {
    UINT down, up;
    WPARAM held;
    const char* name;
  };
  const Case cases[] = {{WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, "left"},
                        {WM_RBUTTONDOWN, WM_RBUTTONUP, MK_RBUTTON, "right"},
                        {WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON, "middle"}};
  for (const Case& c : cases) {
    events.calls.clear();
    SendToLabel1(c.down, c.held, 17, 9);
    SendToLabel1(c.up, 0, 170, 30);
    const std::string name = c.name;
    EXPECT_EQ(events.calls,
              (std::vector<std::string>{"down " + name + " 17,9", "up " + name + " 170,30"}));
  }
}

// Label1's box reaches beyond its rectangle: there the window hands the buttons to Label1.
TEST_F(MeterMouseTest, ButtonsInLabel1sBoxBesideItReachTheForm) {
  meter.SetLabel1("DC");
  const RECT box = meter.HitBox(0);
  ASSERT_GT(box.right, LabelRect(IDC_LABEL1).right);
  SendMessageW(Window(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(box.right - 1, 9));
  SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(box.right, 9));  // beside it
  EXPECT_EQ(events.calls,
            std::vector<std::string>{"down right " + std::to_string(box.right - 1) + ",9"});
}

TEST_F(MeterMouseTest, ADoubleClickCountsAsAPress) {
  SendToLabel1(WM_LBUTTONDBLCLK, MK_LBUTTON, 3, 4);
  SendToLabel1(WM_LBUTTONUP, 0, 3, 4);
  EXPECT_EQ(events.calls, (std::vector<std::string>{"down left 3,4", "up left 3,4"}));
}

TEST_F(MeterMouseTest, MovesReportTheLeftButtonAndSignedCoordinates) {
  SendToLabel1(WM_MOUSEMOVE, MK_LBUTTON, -25, -7);
  SendToLabel1(WM_MOUSEMOVE, MK_RBUTTON, 400, 90);
  SendToLabel1(WM_MOUSEMOVE, 0, 5, 6);
  EXPECT_EQ(events.calls,
            (std::vector<std::string>{"move held -25,-7", "move free 400,90", "move free 5,6"}));
}

TEST_F(MeterMouseTest, ALeftPressCapturesTheMouseUntilItsRelease) {
  SendToLabel1(WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  EXPECT_EQ(GetCapture(), Label(IDC_LABEL1));
  SendToLabel1(WM_LBUTTONUP, 0, 10, 10);
  EXPECT_EQ(GetCapture(), nullptr);

  SendToLabel1(WM_RBUTTONDOWN, MK_RBUTTON, 10, 10);
  EXPECT_EQ(GetCapture(), nullptr);
  SendToLabel1(WM_RBUTTONUP, 0, 10, 10);
}

TEST_F(MeterMouseTest, TheDragCursorCoversTheWindowAndItsLabels) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  for (HWND target : {Window(), Label(IDC_LABEL1), Label(IDC_LABEL2)}) {
    SetCursor(arrow);
    const LRESULT handled = SendMessageW(target, WM_SETCURSOR, reinterpret_cast<WPARAM>(target),
                                         MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_TRUE(handled);
    HCURSOR cursor = GetCursor();
    EXPECT_NE(cursor, arrow);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 0u);
    EXPECT_EQ(info.yHotspot, 0u);
    DeleteObject(info.hbmMask);
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
  }
}

// Made on the first move over Label1, once, with the common controls loaded only then.
TEST_F(MeterMouseTest, Label1HasItsHintAsATooltip) {
  EXPECT_EQ(meter.Hint(), nullptr);
  SendToLabel1(WM_MOUSEMOVE, 0, 5, 5);
  HWND hint = meter.Hint();
  ASSERT_NE(hint, nullptr);
  SendToLabel1(WM_MOUSEMOVE, 0, 6, 5);
  EXPECT_EQ(meter.Hint(), hint);
  EXPECT_EQ(SendMessageW(hint, TTM_GETTOOLCOUNT, 0, 0), 1);
  wchar_t text[128] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = static_cast<UINT>(offsetof(TTTOOLINFOW, lParam) + sizeof tool.lParam);
  tool.lpszText = text;
  ASSERT_TRUE(SendMessageW(hint, TTM_ENUMTOOLSW, 0, reinterpret_cast<LPARAM>(&tool)));
  EXPECT_STREQ(text, L"Press right mouse button for Options or Left mouse button to drag");
  EXPECT_EQ(tool.uId, reinterpret_cast<UINT_PTR>(Label(IDC_LABEL1)));
  EXPECT_EQ(tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), UINT{TTF_IDISHWND | TTF_SUBCLASS});
}

// A press of any button, and the menu, put the hint away at once with the delay it may have
// started; the next move over Label1 makes it again.
TEST_F(MeterMouseTest, APressOrTheMenuPutsTheHintAwayUntilTheNextMove) {
  MenuWatcher watcher;
  for (const UINT down :
       {UINT{WM_LBUTTONDOWN}, UINT{WM_RBUTTONDOWN}, UINT{WM_MBUTTONDOWN}, UINT{WM_NULL}}) {
    SendToLabel1(WM_MOUSEMOVE, 0, 5, 5);
    HWND hint = meter.Hint();
    ASSERT_NE(hint, nullptr);
    if (down == WM_NULL)
      meter.OpenPopupMenu({120, 90});
    else
      SendToLabel1(down, 0, 5, 5);
    EXPECT_FALSE(IsWindow(hint));
    EXPECT_EQ(meter.Hint(), nullptr);
    SendToLabel1(WM_LBUTTONUP, 0, 5, 5);
  }
  EXPECT_EQ(watcher.opened, 1);
}

// An exception in a handler ends the event in the error box; the window goes on working.
TEST_F(MeterMouseTest, AnErrorInAHandlerIsShownAndContained) {
  events.action = [] { throw std::runtime_error("Failed to set data for 'Top'"); };
  BoxAnswerer answerer;
  SendToLabel1(WM_LBUTTONDOWN, MK_LBUTTON, 1, 2);
  SendToLabel1(WM_LBUTTONUP, 0, 1, 2);
  SendMessageW(Window(), WM_TIMER, 1, 0);
  SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(IDM_FREEZE, 0), 0);
  ASSERT_EQ(answerer.seen.size(), 4u);
  for (const SeenBox& box : answerer.seen) {
    EXPECT_EQ(box.caption, L"Pelliton");
    EXPECT_EQ(box.text, L"Failed to set data for 'Top'");
    EXPECT_TRUE(box.hasIcon);
  }
  EXPECT_EQ(events.calls.size(), 4u);
  EXPECT_EQ(GetCapture(), nullptr);
}

}  // namespace
}  // namespace pelliton::testing
