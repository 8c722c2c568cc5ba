#include "ui/dialogs/display_size_win32.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "meter_dialog_win32.h"

namespace pelliton::testing {
namespace {

using connection_dialog::FontOf;
using connection_dialog::PressKey;
using connection_dialog::TextOf;

constexpr COLORREF kSkyBlue = RGB(0xA6, 0xCA, 0xF0);

HWND Item(int id) {
  return GetDlgItem(FindWindowW(L"#32770", L"Alter Display Size"), id);
}
HWND TrackBar() {
  return Item(IDC_SIZE_TRACKBAR1);
}
LRESULT TrackBarSays(UINT message) {
  return SendMessageW(TrackBar(), message, 0, 0);
}

class DisplaySizeDialogWin32 : public MeterDialogWin32 {
 protected:
  DisplaySizeDialogWin32() : MeterDialogWin32(&ShowDisplaySizeDialog, L"Alter Display Size") {
    state.FontSize = 18;
    state.ClockColor = 0x0000FF;
    window.label1 = "DC";
  }

  // The preview is set up: activation ran.
  Step Settled() {
    return [this] { return Dialog() != nullptr && TextOf(Item(IDC_SIZE_LABEL1)) == L"DC"; };
  }
  LONG PreviewHeight(int points) const { return -MulDiv(points, GetParam(), 72); }
};

TEST_P(DisplaySizeDialogWin32, OpensAsTheLayoutSays) {
  Show({Settled(), [this] {
          AtEachDpi(314, 129, [this](int dpi) {
            ExpectLayout(314, 129,
                         {{IDC_SIZE_LABEL1, {24, 24, 177, 38}},
                          {IDOK, {232, 24, 65, 33}},
                          {IDC_SIZE_TRACKBAR1, {16, 80, 185, 33}},
                          {IDCANCEL, {232, 72, 65, 33}}},
                         {IDOK, IDC_SIZE_TRACKBAR1, IDCANCEL}, dpi);
            EXPECT_EQ(TrackBarSays(TBM_GETRANGEMIN), 16);
            EXPECT_EQ(TrackBarSays(TBM_GETRANGEMAX), 26);
            EXPECT_EQ(TrackBarSays(TBM_GETPOS), 18);
            EXPECT_EQ(TrackBarSays(TBM_GETLINESIZE), 2);
            EXPECT_EQ(TrackBarSays(TBM_GETNUMTICS), 6);  // 16, 18, ..., 26
            const LOGFONTW font = FontOf(Item(IDC_SIZE_LABEL1));
            EXPECT_EQ(std::wstring(font.lfFaceName), L"Arial");
            EXPECT_EQ(font.lfHeight, -MulDiv(18, dpi, 72));
            EXPECT_TRUE(font.lfWeight == FW_BOLD && font.lfItalic);
            const auto [sky, ink] = PaintedPixels(Item(IDC_SIZE_LABEL1), kSkyBlue, RGB(255, 0, 0));
            EXPECT_GT(sky, 1000);
            EXPECT_GT(ink, 20);
          });
          EXPECT_EQ(GetFocus(), Item(IDOK));
          PressKey(GetFocus(), VK_ESCAPE);
          return true;
        }});
  EXPECT_TRUE(store.writes.empty());
}

TEST_P(DisplaySizeDialogWin32, ArrowKeyMovesByTwoAndEnterApplies) {
  Show({Settled(),
        [] {
          PressKey(GetFocus(), VK_TAB);  // OK -> TrackBar1
          return true;
        },
        [] { return GetFocus() == TrackBar(); },
        [] {
          PressKey(TrackBar(), VK_RIGHT);
          return true;
        },
        [this] {
          if (TrackBarSays(TBM_GETPOS) != 20) return false;
          EXPECT_EQ(FontOf(Item(IDC_SIZE_LABEL1)).lfHeight, PreviewHeight(20));
          EXPECT_EQ(state.FontSize, 18);
          PressKey(TrackBar(), VK_RETURN);
          return true;
        }});
  EXPECT_EQ(store.Get("FontSize"), "20");
  EXPECT_EQ(window.fontSize, 20);
  EXPECT_EQ(window.label2Top, 2);
  EXPECT_EQ(window.label3Top, 16);
}

PELLITON_AT_EACH_DPI(DisplaySizeDialogWin32);

}  // namespace
}  // namespace pelliton::testing
