#include "ui/dialogs/data_cap_win32.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "meter_dialog_win32.h"

namespace pelliton::testing {
namespace {

using connection_dialog::PressKey;
using connection_dialog::TextColourOf;
using connection_dialog::TextOf;

class DataCapDialogWin32 : public MeterDialogWin32 {
 protected:
  DataCapDialogWin32()
      : MeterDialogWin32([this](HWND owner, HWND over, const DialogPorts& ports,
                                int dpi) { ShowDataCapDialog(owner, over, ports, locale, dpi); },
                         L"Monthly Data Cap") {}

  HWND Item(int id) const { return GetDlgItem(Dialog(), id); }
  std::wstring Text(int id) const { return TextOf(Item(id)); }
  // Activation ran: the level's entry holds the stored one.
  Step Settled(const wchar_t* warning) {
    return [this, warning] { return Dialog() != nullptr && Text(IDC_CAP_EDIT2) == warning; };
  }

  FakeLocale locale;
};

TEST_P(DataCapDialogWin32, OpensAsLaidOutRefusesABadEntryInRedThenEnterStoresGoodOnes) {
  store.Set("DataCap", "51200");
  store.Set("CapWarning", "90");
  state.AllData = u"15 Dec, 2026";
  state.CycleDay = 15;
  state.TotalDataKB = 12939428;
  clock.now = {2026, 12, 23, 23, 58};
  Show({Settled(L"90"),
        [this] {
          ExpectLayout(481, 169,
                       {{IDC_CAP_LABEL1, {16, 20, 240, 13}},
                        {IDC_CAP_PROBLEM2, {16, 78, 353, 13}},
                        {IDC_CAP_LINE3, {16, 136, 361, 13}},
                        {IDCANCEL, {400, 56, 65, 25}}},
                       {IDC_CAP_EDIT1, IDC_CAP_EDIT2, IDOK, IDCANCEL});
          EXPECT_EQ(GetFocus(), Item(IDC_CAP_EDIT1));
          EXPECT_EQ(Text(IDC_CAP_EDIT1), L"50");
          EXPECT_EQ(Text(IDC_CAP_LINE3), L"To stay within it: 1.71 GB a day for the 22 days left.");
          SetWindowTextW(Item(IDC_CAP_EDIT2), L"49");
          EXPECT_FALSE(IsWindowEnabled(Item(IDOK)));
          EXPECT_EQ(Text(IDC_CAP_PROBLEM2), L"From 50 to 99 %.");
          EXPECT_EQ(TextColourOf(Item(IDC_CAP_PROBLEM2), WM_CTLCOLORSTATIC, Dialog()),
                    RGB(255, 0, 0));
          PressKey(GetFocus(), VK_RETURN);  // refused: the dialog stays
          return true;
        },
        [this] {
          SetWindowTextW(Item(IDC_CAP_EDIT2), L"95");
          SetWindowTextW(Item(IDC_CAP_EDIT1), L"12.5");
          EXPECT_TRUE(IsWindowEnabled(Item(IDOK)));
          PressKey(GetFocus(), VK_RETURN);
          return true;
        }});
  EXPECT_EQ(store.Get("DataCap"), "12800");
  EXPECT_EQ(store.Get("CapWarning"), "95");
}

PELLITON_AT_EACH_DPI(DataCapDialogWin32);

}  // namespace
}  // namespace pelliton::testing
