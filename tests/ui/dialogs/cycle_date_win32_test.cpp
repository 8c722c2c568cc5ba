#include "ui/dialogs/cycle_date_win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "meter_dialog_win32.h"

namespace pelliton::testing {
namespace {

using connection_dialog::Corners;
using connection_dialog::PressKey;
using connection_dialog::TextOf;

HWND Dialog() {
  return FindWindowW(L"#32770", L"Cycle Date Selection");
}
HWND Item(int id) {
  return GetDlgItem(Dialog(), id);
}
HWND List() {
  return Item(IDC_CYCLE_LISTBOX1);
}
LRESULT ListSays(UINT message) {
  return SendMessageW(List(), message, 0, 0);
}
void UserSelects(int line) {
  SendMessageW(List(), LB_SETCURSEL, static_cast<WPARAM>(line), 0);
  SendMessageW(Dialog(), WM_COMMAND, MAKEWPARAM(IDC_CYCLE_LISTBOX1, LBN_SELCHANGE),
               reinterpret_cast<LPARAM>(List()));
}

class CycleDateDialogWin32 : public MeterDialogWin32 {
 protected:
  CycleDateDialogWin32() : MeterDialogWin32(&ShowCycleDateDialog, L"Cycle Date Selection") {
    state.CycleDay = 15;
    state.TodayMonth = 12;
    state.TotalDataKB = 5000;
  }

  // The day is selected: activation ran.
  Step Settled() {
    return [this] { return Dialog() != nullptr && ListSays(LB_GETCURSEL) == state.CycleDay - 1; };
  }
};

void ExpectLayout(int dpi) {
  const auto exStyle = static_cast<DWORD>(GetWindowLongW(Dialog(), GWL_EXSTYLE));
  EXPECT_EQ(GetWindowLongW(Dialog(), GWL_STYLE) & (WS_SYSMENU | WS_THICKFRAME), 0);
  EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
            static_cast<DWORD>(WS_EX_TOOLWINDOW | WS_EX_TOPMOST));
  RECT client{};
  GetClientRect(Dialog(), &client);
  EXPECT_EQ(client.right, Scaled(201, dpi));
  EXPECT_EQ(client.bottom, Scaled(105, dpi));
  const struct {
    int id;
    LayoutRect at96;
    const wchar_t* text;
  } controls[] = {{IDC_CYCLE_LABEL1, {16, 16, 77, 20}, L"Cycle Date"},
                  {IDOK, {120, 24, 65, 25}, L"OK"},
                  {IDCANCEL, {120, 56, 65, 25}, L"Cancel"},
                  {IDC_CYCLE_LISTBOX1, {24, 40, 57, 49}, L""}};
  for (const auto& control : controls) {
    SCOPED_TRACE(control.id);
    const Corners actual = connection_dialog::RectIn(Dialog(), Item(control.id));
    Corners expected = connection_dialog::ScaledRect(control.at96, dpi);
    if (control.id == IDC_CYCLE_LABEL1) {
      // Sized to its text: wider only where a stand-in font needs the room (Wine), and
      // still inside its bevel.
      EXPECT_GE(actual[2], expected[2]);
      EXPECT_LE(actual[2], Scaled(8 + 97, dpi));
      expected[2] = actual[2];
      expected[3] = std::max(expected[3], actual[3]);
    }
    EXPECT_EQ(actual, expected);
    EXPECT_EQ(TextOf(Item(control.id)), control.text);
  }
  std::vector<int> tabStops;
  for (HWND child = GetWindow(Dialog(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) tabStops.push_back(GetDlgCtrlID(child));
  EXPECT_EQ(tabStops, (std::vector<int>{IDOK, IDCANCEL, IDC_CYCLE_LISTBOX1}));
  EXPECT_EQ(connection_dialog::FontOf(Item(IDC_CYCLE_LABEL1)).lfHeight, -Scaled(16, dpi));
  EXPECT_EQ(connection_dialog::FontOf(List()).lfHeight, -Scaled(32, dpi));
  EXPECT_EQ(SendMessageW(List(), LB_GETITEMHEIGHT, 0, 0), Scaled(37, dpi));
  EXPECT_NE(GetWindowLongW(List(), GWL_STYLE) & WS_VSCROLL, 0);
}

TEST_P(CycleDateDialogWin32, OpensWithTheDaySelectedInViewOkDisabledAndCancelFocused) {
  Show({Settled(), [this] {
          ExpectLayout(GetParam());
          EXPECT_EQ(ListSays(LB_GETCOUNT), 28);
          EXPECT_EQ(ListSays(LB_GETTOPINDEX), 14);  // one whole line shows: the selected one
          EXPECT_FALSE(IsWindowEnabled(Item(IDOK)));
          EXPECT_EQ(GetFocus(), Item(IDCANCEL));
          // The selected line on the selection colour; red on the window colour unselected.
          const COLORREF red = RGB(255, 0, 0);
          EXPECT_GT(PaintedPixels(List(), GetSysColor(COLOR_HIGHLIGHT), red).first, 200);
          SendMessageW(List(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
          EXPECT_GT(PaintedPixels(List(), GetSysColor(COLOR_HIGHLIGHT), red).second, 20);
          PressKey(GetFocus(), VK_RETURN);  // presses Cancel
          return true;
        }});
  EXPECT_TRUE(app.boxes.empty());
  EXPECT_TRUE(store.writes.empty());
}

TEST_P(CycleDateDialogWin32, KeyboardSelectionEnablesOkAndEnterAppliesIt) {
  Show({Settled(),
        [] {
          PressKey(GetFocus(), VK_TAB);  // Cancel -> ListBox1
          return true;
        },
        [] { return GetFocus() == List(); },
        [] {
          PressKey(List(), VK_RETURN);  // OK still disabled: nothing
          PressKey(List(), VK_DOWN);
          return true;
        },
        [this] {
          if (!IsWindowEnabled(Item(IDOK))) return false;
          EXPECT_TRUE(store.writes.empty());
          EXPECT_EQ(ListSays(LB_GETCURSEL), 15);
          PressKey(List(), VK_RETURN);
          return true;
        }});
  EXPECT_EQ(app.boxes.size(), 1u);
  EXPECT_EQ(state.CycleDay, 16);
  EXPECT_EQ(store.Get("BillCycleDate"), "16");
  EXPECT_EQ(store.Get("LastMonth"), "12");
  EXPECT_EQ(state.TotalDataKB, 0u);
}

TEST_P(CycleDateDialogWin32, NoAndEscChangeNothing) {
  app.answerYes = false;
  Show({Settled(), [] {
          UserSelects(27);
          SendMessageW(Item(IDOK), BM_CLICK, 0, 0);
          return true;
        }});
  Show({Settled(), [] {
          UserSelects(2);
          PressKey(GetFocus(), VK_ESCAPE);
          return true;
        }});
  EXPECT_EQ(app.boxes.size(), 1u);
  EXPECT_TRUE(store.writes.empty());
  EXPECT_EQ(state.CycleDay, 15);
}

TEST_P(CycleDateDialogWin32, Label1ClickAppliesAndStaysOpen) {
  Show({Settled(),
        [] {
          PostMessageW(Item(IDC_CYCLE_LABEL1), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
          PostMessageW(Item(IDC_CYCLE_LABEL1), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
          return true;
        },
        [this] {
          if (store.writes.empty()) return false;
          EXPECT_NE(Dialog(), nullptr);
          EXPECT_FALSE(IsWindowEnabled(Item(IDOK)));
          PostMessageW(Dialog(), WM_CLOSE, 0, 0);
          return true;
        }});
  EXPECT_EQ(store.Get("BillCycleDate"), "15");
  EXPECT_EQ(store.Get("Hours"), "0");
}

TEST_P(CycleDateDialogWin32, DayWithoutALineShowsTheErrorThenWorks) {
  state.CycleDay = 31;
  Show({[] {
          HWND box = FindWindowW(L"#32770", L"Pelliton");
          if (box == nullptr) return false;
          EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), L"List index out of bounds (30)");
          PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
          return true;
        },
        [] { return FindWindowW(L"#32770", L"Pelliton") == nullptr; },
        [] {
          EXPECT_EQ(ListSays(LB_GETCURSEL), LB_ERR);
          UserSelects(4);
          PostMessageW(Item(IDOK), BM_CLICK, 0, 0);
          return true;
        }});
  EXPECT_EQ(store.Get("BillCycleDate"), "5");
}

PELLITON_AT_EACH_DPI(CycleDateDialogWin32);

}  // namespace
}  // namespace pelliton::testing
