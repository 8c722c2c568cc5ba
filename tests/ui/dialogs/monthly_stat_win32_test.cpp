#include "ui/dialogs/monthly_stat_win32.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dialog_driver_win32.h"
#include "fakes/fake_interface_table.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_store.h"
#include "fakes/fake_ui.h"
#include "ui/error_handler_win32.h"
#include "ui/meter/modal_scope_win32.h"

namespace pelliton::testing {
namespace {

using connection_dialog::DialogDriver;
using connection_dialog::FontOf;
using connection_dialog::PressKey;
using connection_dialog::RectIn;
using connection_dialog::ScaledRect;
using connection_dialog::Step;
using connection_dialog::TextOf;

HWND FindStats() {
  return FindWindowW(L"#32770", L"Zorvane Pelliton Monthly Stats");
}
HWND Item(int id) {
  return GetDlgItem(FindStats(), id);
}
std::wstring FullText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), int(text.size()))));
  return text;
}

// Notes whether the meter was enabled when the window raised it.
class RaisedMeter : public FakeMeterWindow {
 public:
  void SetTopmost(bool value) override {
    FakeMeterWindow::SetTopmost(value);
    enabledWhenRaised.push_back(IsWindowEnabled(handle) != FALSE);
  }
  HWND handle = nullptr;
  std::vector<bool> enabledWhenRaised;
};

class StatisticsWindowWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    dpi = ScreenDpi();
    meter.handle =
        CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"meter", WS_POPUP | WS_VISIBLE, 300, 200, 160,
                        40, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(meter.handle, nullptr);
    state.AllData = u"15 Dec, 202615 Nov, 202615 Dec, 2026    1.50 MB01234";
  }
  void TearDown() override { DestroyWindow(meter.handle); }

  // Shows the window, modal to the meter, while `steps` run; then checks that they all ran,
  // that the window is gone and the meter enabled again.
  void Show(std::vector<Step> steps) {
    DialogDriver driver(std::move(steps));
    {
      const MeterModalScope modal(meter.handle);
      ShowStatisticsWindow(meter.handle, meter.handle, {state, store, table, clock, app, meter});
    }
    EXPECT_FALSE(driver.TimedOut()) << "stuck at step " << driver.NextStep();
    EXPECT_TRUE(driver.Finished()) << "closed before step " << driver.NextStep();
    EXPECT_EQ(FindStats(), nullptr);
    EXPECT_TRUE(IsWindowEnabled(meter.handle));
  }
  static Step Opened() {
    return [] { return FindStats() != nullptr; };
  }

  int dpi = 96;
  MeterState state;
  FakeStore store;
  FakeInterfaceTable table;
  FakeClock clock;
  FakeApplication app;
  RaisedMeter meter;
};

// Lines of `text` in the label's font and width, as the label wraps it.
int WrappedLines(HWND label, const wchar_t* text) {
  HDC dc = GetDC(label);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  RECT client{};
  GetClientRect(label, &client);
  RECT one = client, wrapped = client;
  DrawTextW(dc, L"0", -1, &one, DT_CALCRECT | DT_SINGLELINE);
  DrawTextW(dc, text, -1, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(label, dc);
  return (wrapped.bottom - wrapped.top) / (one.bottom - one.top);
}

void ExpectLayout(int dpi) {
  HWND window = FindStats();
  const auto style = static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE));
  EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
  EXPECT_NE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  RECT client{}, frame{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, Scaled(505, dpi));
  EXPECT_EQ(client.bottom, Scaled(313, dpi));
  GetWindowRect(window, &frame);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  EXPECT_NEAR(frame.left + frame.right, monitor.rcWork.left + monitor.rcWork.right, 1);
  EXPECT_NEAR(frame.top + frame.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 1);

  const auto label1 = RectIn(window, Item(IDC_STAT_LABEL1));
  const auto at96 = ScaledRect({24, 24, 457, 209}, dpi);
  EXPECT_EQ(label1[0], at96[0]);
  EXPECT_EQ(label1[1], at96[1]);
  EXPECT_GE(label1[2], at96[2]);  // wider only where the font needs the room for a line
  EXPECT_LE(label1[2], ScaledRect({8, 8, 489, 265}, dpi)[2]);
  EXPECT_EQ(label1[3], at96[3]);
  // Each cycle takes one line, the widest quantity included.
  EXPECT_EQ(WrappedLines(Item(IDC_STAT_LABEL1),
                         L"?? ???, ???? - 31 Dec, 2026 : 4,095.99 GB in 999 Hrs and 59 Mins"),
            1);
  EXPECT_EQ(RectIn(window, Item(IDC_STAT_STATICTEXT1)), ScaledRect({16, 248, 465, 17}, dpi));
  EXPECT_EQ(RectIn(window, Item(IDC_STAT_BITBTN1)), ScaledRect({216, 280, 75, 25}, dpi));

  EXPECT_EQ(std::wstring(FontOf(Item(IDC_STAT_LABEL1)).lfFaceName), L"Courier New");
  EXPECT_EQ(FontOf(Item(IDC_STAT_LABEL1)).lfHeight, -Scaled(12, dpi));
  EXPECT_EQ(std::wstring(FontOf(Item(IDC_STAT_STATICTEXT1)).lfFaceName), L"Times New Roman");
  // Smaller only where a wider stand-in would break the note's line.
  EXPECT_LE(FontOf(Item(IDC_STAT_STATICTEXT1)).lfHeight, -Scaled(6, dpi));
  EXPECT_GE(FontOf(Item(IDC_STAT_STATICTEXT1)).lfHeight, -Scaled(11, dpi));
  EXPECT_EQ(WrappedLines(Item(IDC_STAT_STATICTEXT1), TextOf(Item(IDC_STAT_STATICTEXT1)).c_str()),
            1);
  EXPECT_EQ(FontOf(Item(IDC_STAT_BITBTN1)).lfHeight, -Scaled(11, dpi));
  EXPECT_EQ(GetWindowLongW(Item(IDC_STAT_STATICTEXT1), GWL_STYLE) & SS_TYPEMASK, SS_CENTER);
  HDC dc = CreateCompatibleDC(nullptr);
  SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(Item(IDC_STAT_STATICTEXT1)));
  EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
  DeleteDC(dc);
}

TEST_F(StatisticsWindowWin32, OpensAsTheLayoutSaysAndOnlyCloseEndsIt) {
  Show({Opened(),
        [this] {
          ExpectLayout(dpi);
          EXPECT_EQ(FullText(Item(IDC_STAT_LABEL1)),
                    L"15 Nov, 2026 - 15 Dec, 2026 :     1.50 MB in 012 Hrs and 34 Mins\r\n");
          EXPECT_EQ(TextOf(Item(IDC_STAT_STATICTEXT1)),
                    L"The actual cummulative data (download plus upload) transfered from your "
                    L"computer. ");
          EXPECT_EQ(TextOf(Item(IDC_STAT_BITBTN1)), L"&Close");
          EXPECT_GT(connection_dialog::PaintedPixels(Item(IDC_STAT_LABEL1)).dark, 200);
          EXPECT_GT(connection_dialog::PaintedPixels(Item(IDC_STAT_STATICTEXT1)).red, 100);
          EXPECT_EQ(GetFocus(), Item(IDC_STAT_BITBTN1));
          EXPECT_FALSE(IsWindowEnabled(meter.handle));
          PressKey(GetFocus(), VK_ESCAPE);
          state.AllData = u"01 Jan, 2027";  // a rollover while the window is open
          return true;
        },
        [] {
          EXPECT_NE(FindStats(), nullptr);
          PressKey(GetFocus(), VK_RETURN);
          return true;
        }});
  // Raised once, with the meter already enabled again so that it can take the activation.
  EXPECT_EQ(meter.topmostCalls, std::vector<bool>{true});
  EXPECT_EQ(meter.enabledWhenRaised, std::vector<bool>{true});
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(StatisticsWindowWin32, SpaceClickAndCloseEndIt) {
  const std::vector<std::function<void()>> closers{
      [] { PressKey(GetFocus(), VK_SPACE); },
      [] { PostMessageW(Item(IDC_STAT_BITBTN1), BM_CLICK, 0, 0); },
      [] { PostMessageW(FindStats(), WM_CLOSE, 0, 0); }};
  for (const auto& close : closers) {
    Show({Opened(), [&] {
            close();
            return true;
          }});
  }
  EXPECT_EQ(meter.topmostCalls, (std::vector<bool>{true, true, true}));
}

TEST_F(StatisticsWindowWin32, ShowsAnyHistoryWithEveryCarriageReturnBreakingTheLine) {
  state.AllData = std::u16string(12, u'x') + u"a_b\rc\r\nd" + std::u16string(20000, u'\xFFFF');
  state.AllData[13] = u'\0';
  Show({Opened(), [] {
          const std::wstring text = FullText(Item(IDC_STAT_LABEL1));
          EXPECT_EQ(text.substr(0, 13), L"a b\r\nc\r\nd\xFFFF\xFFFF\xFFFF\xFFFF");
          EXPECT_EQ(text.substr(text.size() - 7), L" Mins\r\n");
          PostMessageW(FindStats(), WM_CLOSE, 0, 0);
          return true;
        }});
}

TEST_F(StatisticsWindowWin32, BoxOverTheWindowBelongsToItAndANestedScopeKeepsTheMeterDisabled) {
  Show({Opened(), [this] {
          {
            const MeterModalScope nested(meter.handle);
            EXPECT_FALSE(IsWindowEnabled(meter.handle));
          }
          EXPECT_FALSE(IsWindowEnabled(meter.handle));
          EXPECT_EQ(MessageBoxOwner(meter.handle), FindStats());
          PostMessageW(FindStats(), WM_CLOSE, 0, 0);
          return true;
        }});
  EXPECT_EQ(MessageBoxOwner(meter.handle), meter.handle);  // no dialog active
}

TEST_F(StatisticsWindowWin32, TwentyShowingsLeaveNothingBehind) {
  const auto showOnce = [this] {
    Show({Opened(), [] {
            PostMessageW(Item(IDC_STAT_BITBTN1), BM_CLICK, 0, 0);
            return true;
          }});
  };
  showOnce();
  connection_dialog::GdiSlots slots;
  const unsigned gdiBefore = slots.InUse();
  const DWORD gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  const int windows = connection_dialog::ThreadWindowCount();
  for (int i = 0; i < 20; ++i)
    showOnce();
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), userObjects);
  EXPECT_EQ(connection_dialog::ThreadWindowCount(), windows);
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiObjects);
  if (gdiObjects == 0) {
    EXPECT_EQ(slots.InUse(), gdiBefore);  // Wine: no counts, so the free handle slots
  }
}

}  // namespace
}  // namespace pelliton::testing
