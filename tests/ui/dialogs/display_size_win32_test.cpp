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

HWND Dialog() {
  return FindWindowW(L"#32770", L"Alter Display Size");
}
HWND Item(int id) {
  return GetDlgItem(Dialog(), id);
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
  static Step Settled() {
    return [] { return Dialog() != nullptr && TextOf(Item(IDC_SIZE_LABEL1)) == L"DC"; };
  }
  LONG PreviewHeight(int points) const { return -MulDiv(points, GetParam(), 72); }
};

TEST_P(DisplaySizeDialogWin32, OpensAsTheLayoutSays) {
  const int dpi = GetParam();
  Show({Settled(), [&] {
          RECT client{};
          GetClientRect(Dialog(), &client);
          EXPECT_EQ(client.right, Scaled(314, dpi));
          EXPECT_EQ(client.bottom, Scaled(129, dpi));
          EXPECT_NE(GetWindowLongW(Dialog(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
          const struct {
            int id;
            LayoutRect at96;
          } controls[] = {{IDC_SIZE_LABEL1, {24, 24, 177, 38}},
                          {IDOK, {232, 24, 65, 33}},
                          {IDC_SIZE_TRACKBAR1, {16, 80, 185, 33}},
                          {IDCANCEL, {232, 72, 65, 33}}};
          std::vector<int> order;
          for (const auto& control : controls) {
            SCOPED_TRACE(control.id);
            EXPECT_EQ(connection_dialog::RectIn(Dialog(), Item(control.id)),
                      connection_dialog::ScaledRect(control.at96, dpi));
            if (GetWindowLongW(Item(control.id), GWL_STYLE) & WS_TABSTOP)
              order.push_back(control.id);
          }
          EXPECT_EQ(order, (std::vector<int>{IDOK, IDC_SIZE_TRACKBAR1, IDCANCEL}));
          EXPECT_EQ(TrackBarSays(TBM_GETRANGEMIN), 16);
          EXPECT_EQ(TrackBarSays(TBM_GETRANGEMAX), 26);
          EXPECT_EQ(TrackBarSays(TBM_GETPOS), 18);
          EXPECT_EQ(TrackBarSays(TBM_GETLINESIZE), 2);
          EXPECT_EQ(TrackBarSays(TBM_GETNUMTICS), 6);  // 16, 18, ..., 26
          const LOGFONTW font = FontOf(Item(IDC_SIZE_LABEL1));
          EXPECT_EQ(std::wstring(font.lfFaceName), L"Arial");
          EXPECT_EQ(font.lfHeight, PreviewHeight(18));
          EXPECT_TRUE(font.lfWeight == FW_BOLD && font.lfItalic);
          const auto [sky, ink] = PaintedPixels(Item(IDC_SIZE_LABEL1), kSkyBlue, RGB(255, 0, 0));
          EXPECT_GT(sky, 1000);
          EXPECT_GT(ink, 20);
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

TEST_P(DisplaySizeDialogWin32, ThumbStopsAtAnyValueAndCancelKeepsEverything) {
  const auto thumbTo = [](int position) {
    return [position] {
      SendMessageW(TrackBar(), TBM_SETPOS, TRUE, position);
      SendMessageW(Dialog(), WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, position),
                   reinterpret_cast<LPARAM>(TrackBar()));
      return true;
    };
  };
  Show({Settled(), thumbTo(23), [this] {
          EXPECT_EQ(FontOf(Item(IDC_SIZE_LABEL1)).lfHeight, PreviewHeight(23));
          PostMessageW(Item(IDCANCEL), BM_CLICK, 0, 0);
          return true;
        }});
  EXPECT_TRUE(store.writes.empty());
  EXPECT_EQ(state.FontSize, 18);
  EXPECT_EQ(window.fontSize, 16);
  Show({Settled(), thumbTo(19), [] {
          PostMessageW(Item(IDOK), BM_CLICK, 0, 0);
          return true;
        }});
  EXPECT_EQ(store.Get("FontSize"), "19");
  EXPECT_EQ(window.label3Top, 15);
}

TEST_P(DisplaySizeDialogWin32, StoredSizeAboveTheRangePreviewsAtTheTop) {
  state.FontSize = 40;
  Show({Settled(), [this] {
          EXPECT_EQ(TrackBarSays(TBM_GETPOS), 26);
          EXPECT_EQ(FontOf(Item(IDC_SIZE_LABEL1)).lfHeight, PreviewHeight(26));
          PostMessageW(Item(IDOK), BM_CLICK, 0, 0);
          return true;
        }});
  EXPECT_EQ(store.Get("FontSize"), "26");
}

PELLITON_AT_EACH_DPI(DisplaySizeDialogWin32);

}  // namespace
}  // namespace pelliton::testing
