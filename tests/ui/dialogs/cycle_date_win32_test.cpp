#include "ui/dialogs/cycle_date_win32.h"

#include <gtest/gtest.h>

#include <vector>

#include "meter_dialog_win32.h"

namespace pelliton::testing {
namespace {

using connection_dialog::FontOf;
using connection_dialog::PressKey;
using connection_dialog::TextOf;

HWND Item(int id) {
  return GetDlgItem(FindWindowW(L"#32770", L"Cycle Date Selection"), id);
}
HWND List() {
  return Item(IDC_CYCLE_LISTBOX1);
}
LRESULT ListSays(UINT message) {
  return SendMessageW(List(), message, 0, 0);
}

class CycleDateDialogWin32 : public MeterDialogWin32 {
 protected:
  CycleDateDialogWin32() : MeterDialogWin32(&ShowCycleDateDialog, L"Cycle Date Selection") {
    state.CycleDay = 15;
    state.TodayMonth = 12;
  }

  // The day is selected: activation ran.
  Step Settled() {
    return [this] { return Dialog() != nullptr && ListSays(LB_GETCURSEL) == state.CycleDay - 1; };
  }
};

TEST_P(CycleDateDialogWin32, OpensWithTheDaySelectedInViewOkDisabledAndCancelFocused) {
  Show({Settled(), [&] {
          AtEachDpi(201, 105, [&](int dpi) {
            ExpectLayout(201, 105,
                         {{IDC_CYCLE_LABEL1, {16, 16, 77, 20}, true},
                          {IDOK, {120, 24, 65, 25}},
                          {IDCANCEL, {120, 56, 65, 25}},
                          {IDC_CYCLE_LISTBOX1, {24, 40, 57, 49}}},
                         {IDOK, IDCANCEL, IDC_CYCLE_LISTBOX1}, dpi);
            EXPECT_EQ(TextOf(Item(IDC_CYCLE_LABEL1)), L"Cycle Date");
            EXPECT_EQ(FontOf(Item(IDC_CYCLE_LABEL1)).lfHeight, -Scaled(16, dpi));
            EXPECT_EQ(FontOf(List()).lfHeight, -Scaled(32, dpi));
            EXPECT_EQ(FontOf(Item(IDOK)).lfHeight, -Scaled(11, dpi));
            EXPECT_EQ(ListSays(LB_GETITEMHEIGHT), Scaled(37, dpi));
            EXPECT_EQ(ListSays(LB_GETCOUNT), 28);
            EXPECT_EQ(ListSays(LB_GETCURSEL), 14);
          });
          EXPECT_EQ(ListSays(LB_GETTOPINDEX), 14);  // the one whole line in view: the selected one
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
          PressKey(List(), VK_RETURN);
          return true;
        }});
  EXPECT_EQ(app.boxes.size(), 1u);
  EXPECT_EQ(store.Get("BillCycleDate"), "16");
  EXPECT_EQ(store.Get("LastMonth"), "11");  // 8 December: the 16th has not come yet
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
          PostMessageW(Dialog(), WM_CLOSE, 0, 0);
          return true;
        }});
  EXPECT_EQ(store.Get("BillCycleDate"), "15");
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
          PressKey(GetFocus(), VK_TAB);  // into the list: Down selects its first line
          PressKey(List(), VK_DOWN);
          PressKey(List(), VK_RETURN);
          return true;
        }});
  EXPECT_EQ(store.Get("BillCycleDate"), "1");
}

PELLITON_AT_EACH_DPI(CycleDateDialogWin32);

}  // namespace
}  // namespace pelliton::testing
