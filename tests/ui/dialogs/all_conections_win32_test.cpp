#include "ui/dialogs/all_conections_win32.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "dialog_driver_win32.h"
#include "fakes/fake_interface_table.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_store.h"
#include "fakes/fake_ui.h"

namespace pelliton::testing {
namespace {

using namespace connection_dialog;

class ConnectionDialogWin32 : public ::testing::Test {
 protected:
  void SetUp() override {
    dpi = ScreenDpi();
    app.onProcessMessages = [this] {
      pumping = true;
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
          PostQuitMessage(static_cast<int>(message.wParam));
          break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      pumping = false;
      clock.tick += listingTicks;
    };
    meter = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"meter", WS_POPUP | WS_VISIBLE, 300, 200,
                            160, 40, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(meter, nullptr);
  }
  void TearDown() override { DestroyWindow(meter); }

  void SetRows(const std::vector<std::string>& descriptions) {
    for (const auto& text : descriptions)
      table.rows.push_back(MakeRow(text, 1, 0, 0));
  }

  // Activation is over: the table was read and no message pass is under way.
  Step Settled() {
    return [this] { return FindDialog() != nullptr && table.calls > 0 && !pumping; };
  }

  // Shows the dialog while `steps` run, then checks that they all ran and that no window of
  // the dialog is left.
  void Show(std::vector<Step> steps) {
    DialogDriver driver(std::move(steps));
    ShowConnectionDialog(meter, meter, ConnectionDialogPorts{state, store, table, clock, app});
    EXPECT_FALSE(driver.TimedOut()) << "stuck at step " << driver.NextStep();
    EXPECT_TRUE(driver.Finished()) << "closed before step " << driver.NextStep();
    EXPECT_EQ(FindDialog(), nullptr);
  }

  // The error box on top of the dialog: checks its text and presses its OK.
  Step ErrorBoxSays(std::wstring text) {
    return [text] {
      HWND box = FindWindowW(L"#32770", L"Pelliton");
      if (box == nullptr) return false;
      EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), text);
      PostMessageW(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
      return true;
    };
  }
  static Step BoxGone() {
    return [] { return FindWindowW(L"#32770", L"Pelliton") == nullptr; };
  }

  int dpi = 96;
  HWND meter = nullptr;
  bool pumping = false;
  std::uint32_t listingTicks = 0;
  MeterState state;
  FakeStore store;
  FakeInterfaceTable table;
  FakeClock clock;
  FakeApplication app;
};

void ExpectFrame(int dpi) {
  HWND dialog = FindDialog();
  const auto style = static_cast<DWORD>(GetWindowLongW(dialog, GWL_STYLE));
  const auto exStyle = static_cast<DWORD>(GetWindowLongW(dialog, GWL_EXSTYLE));
  EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
  EXPECT_EQ(style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
  EXPECT_NE(exStyle & WS_EX_DLGMODALFRAME, 0u);
  EXPECT_NE(exStyle & WS_EX_TOPMOST, 0u);
  EXPECT_TRUE(IsWindowVisible(dialog));
  RECT client{};
  GetClientRect(dialog, &client);
  EXPECT_EQ(client.right, Scaled(498, dpi));
  EXPECT_EQ(client.bottom, Scaled(169, dpi));
}

void ExpectControls(int dpi) {
  struct Control {
    int id;
    const wchar_t* windowClass;
    LayoutRect at96;
    const wchar_t* text;
  };
  const Control controls[] = {
      {IDC_CONN_LABEL1, L"Static", {16, 16, 192, 20}, L"Network Conections Found"},
      {IDOK, L"Button", {264, 16, 89, 25}, L"OK"},
      {IDCANCEL, L"Button", {384, 16, 89, 25}, L"Cancel"},
      {IDC_CONN_LISTBOX1, L"ListBox", {16, 48, 465, 105}, L""},
  };
  for (const auto& control : controls) {
    SCOPED_TRACE(control.id);
    HWND window = Item(control.id);
    ASSERT_NE(window, nullptr);
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    EXPECT_EQ(_wcsicmp(name, control.windowClass), 0) << name;
    const Corners actual = RectIn(FindDialog(), window), expected = ScaledRect(control.at96, dpi);
    if (control.id == IDC_CONN_LABEL1) {
      // Sized to its text: wider only where a stand-in font needs the room (Wine).
      EXPECT_EQ(actual[0], expected[0]);
      EXPECT_EQ(actual[1], expected[1]);
      EXPECT_GE(actual[2], expected[2]);
      EXPECT_GE(actual[3], expected[3]);
      EXPECT_LT(actual[2], ScaledRect(LayoutRect{264, 16, 89, 25}, dpi)[0]);
    } else {
      EXPECT_EQ(actual, expected);
    }
    EXPECT_EQ(TextOf(window), control.text);
  }

  // Tab order BitBtn1, BitBtn2, ListBox1; OK is disabled, so walk the windows.
  std::vector<int> tabStops;
  for (HWND child = GetWindow(FindDialog(), GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) tabStops.push_back(GetDlgCtrlID(child));
  }
  EXPECT_EQ(tabStops, (std::vector<int>{IDOK, IDCANCEL, IDC_CONN_LISTBOX1}));
}

void ExpectLooks(int dpi) {
  HWND label1 = Item(IDC_CONN_LABEL1), list = Item(IDC_CONN_LISTBOX1);
  EXPECT_NE(GetWindowLongW(label1, GWL_STYLE) & SS_NOTIFY, 0);
  EXPECT_EQ(FontOf(label1).lfHeight, -Scaled(16, dpi));
  EXPECT_EQ(std::wstring(FontOf(label1).lfFaceName), L"MS Sans Serif");
  EXPECT_EQ(TextColourOf(label1, WM_CTLCOLORSTATIC), RGB(0, 0, 255));
  EXPECT_EQ(FontOf(Item(IDOK)).lfHeight, -Scaled(11, dpi));
  EXPECT_EQ(FontOf(list).lfHeight, -Scaled(13, dpi));
  EXPECT_EQ(TextColourOf(list, WM_CTLCOLORLISTBOX), RGB(0, 0, 0));
  EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), Scaled(16, dpi));
  EXPECT_EQ(GetWindowLongW(list, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL | LBS_SORT), 0);
}

TEST_F(ConnectionDialogWin32, OpensAsTheLayoutSays) {
  SetRows({"lo", " Intel(R) PRO/1000 MT ", "lo"});
  Show(
      {Settled(), [this] {
         ExpectFrame(dpi);
         ExpectControls(dpi);
         ExpectLooks(dpi);
         EXPECT_FALSE(IsWindowEnabled(Item(IDOK)));
         EXPECT_TRUE(IsWindowEnabled(Item(IDCANCEL)));
         EXPECT_EQ(GetFocus(), Item(IDCANCEL));
         EXPECT_EQ(ListLines(), (std::vector<std::wstring>{L"lo", L"Intel(R) PRO/1000 MT", L"lo"}));
         EXPECT_EQ(Selected(), 0);
         Click(IDCANCEL);
         return true;
       }});
  EXPECT_EQ(table.calls, 2);  // one snapshot: activation ran once
  EXPECT_FALSE(state.DialogAccepted);
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(ConnectionDialogWin32, LongListGetsItsScrollBar) {
  SetRows({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l"});
  Show({Settled(), [] {
          EXPECT_NE(GetWindowLongW(Item(IDC_CONN_LISTBOX1), GWL_STYLE) & WS_VSCROLL, 0);
          EXPECT_EQ(ListLines().size(), 12u);
          Click(IDCANCEL);
          return true;
        }});
}

TEST_F(ConnectionDialogWin32, IsCentredOverTheMeterAndKeptOnItsScreen) {
  struct Case {
    const char* name;
    int left, top;
  };
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(meter, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT work = monitor.rcWork;
  const Case cases[] = {
      {"middle", (work.left + work.right) / 2 - 80, (work.top + work.bottom) / 2 - 20},
      {"top right corner", work.right - 160, work.top},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetWindowPos(meter, nullptr, c.left, c.top, 160, 40, SWP_NOZORDER | SWP_NOACTIVATE);
    RECT placed{};
    Show({Settled(), [&] {
            GetWindowRect(FindDialog(), &placed);
            PostMessageW(FindDialog(), WM_CLOSE, 0, 0);
            return true;
          }});
    EXPECT_GE(placed.left, work.left);
    EXPECT_GE(placed.top, work.top);
    EXPECT_LE(placed.right, work.right);
    EXPECT_LE(placed.bottom, work.bottom);
    if (c.name == std::string("middle")) {
      EXPECT_NEAR((placed.left + placed.right) / 2, c.left + 80, 1);
      EXPECT_NEAR((placed.top + placed.bottom) / 2, c.top + 20, 1);
    }
  }
}

TEST_F(ConnectionDialogWin32, UserSelectionEnablesOkAndOkStoresTheLine) {
  SetRows({"lo", "eth0", "wlan0"});
  Show({Settled(), [] {
          EXPECT_FALSE(IsWindowEnabled(Item(IDOK)));
          UserSelects(2);
          EXPECT_TRUE(IsWindowEnabled(Item(IDOK)));
          Click(IDOK);
          return true;
        }});
  EXPECT_EQ(store.Get("NetworkType"), "wlan0");
  EXPECT_TRUE(state.DialogAccepted);
}

TEST_F(ConnectionDialogWin32, DisabledOkPressesNothingAndEnterInTheListWaitsForIt) {
  SetRows({"lo", "eth0"});
  Show({Settled(),
        [] {
          SendMessageW(Item(IDOK), BM_CLICK, 0, 0);
          PressKey(GetFocus(), VK_TAB);  // Cancel -> ListBox1
          return true;
        },
        [] { return GetFocus() == Item(IDC_CONN_LISTBOX1); },
        [] {
          PressKey(Item(IDC_CONN_LISTBOX1), VK_RETURN);
          return true;
        },
        [this] {
          EXPECT_NE(FindDialog(), nullptr);
          EXPECT_TRUE(store.writes.empty());
          UserSelects(1);
          PressKey(Item(IDC_CONN_LISTBOX1), VK_RETURN);
          return true;
        }});
  EXPECT_EQ(store.Get("NetworkType"), "eth0");
  EXPECT_TRUE(state.DialogAccepted);
}

TEST_F(ConnectionDialogWin32, CancelEscAndEnterOnCancelRunBitBtn2ClickOtherClosingDoesNot) {
  struct Case {
    const char* name;
    std::function<void()> close;
    bool bitBtn2Click;
  };
  const Case cases[] = {
      {"Cancel button", [] { Click(IDCANCEL); }, true},
      {"Esc", [] { PressKey(GetFocus(), VK_ESCAPE); }, true},
      {"Enter on the focused Cancel", [] { PressKey(GetFocus(), VK_RETURN); }, true},
      {"WM_CLOSE", [] { PostMessageW(FindDialog(), WM_CLOSE, 0, 0); }, false},
  };
  SetRows({"eth0"});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    state.DialogAccepted = true;
    Show({Settled(), [&] {
            c.close();
            return true;
          }});
    EXPECT_EQ(state.DialogAccepted, !c.bitBtn2Click);
    EXPECT_TRUE(store.writes.empty());
  }
}

TEST_F(ConnectionDialogWin32, Label1ClickConfirmsLineZeroAndStaysOpen) {
  SetRows({"eth0", "wlan0"});
  Show({Settled(),
        [] {
          ClickLabel1();
          return true;
        },
        [this] {
          if (store.writes.empty()) return false;
          EXPECT_EQ(store.Get("NetworkType"), "eth0");
          EXPECT_TRUE(state.DialogAccepted);
          EXPECT_NE(FindDialog(), nullptr);
          EXPECT_FALSE(IsWindowEnabled(Item(IDOK)));
          Click(IDCANCEL);
          return true;
        }});
  EXPECT_EQ(store.Get("NetworkType"), "eth0");
  EXPECT_FALSE(state.DialogAccepted);
}

TEST_F(ConnectionDialogWin32, Label1ClickWithoutSelectionShowsTheListIndexError) {
  Show({Settled(),
        [] {
          EXPECT_EQ(ListLines(),
                    (std::vector<std::wstring>{L"No Network Conections found",
                                               L"Re-Detecting Network Hardware and Conections",
                                               L"Please Wait....."}));
          EXPECT_EQ(Selected(), LB_ERR);
          ClickLabel1();
          return true;
        },
        ErrorBoxSays(L"List index out of bounds (-1)"), BoxGone(),
        [this] {
          EXPECT_NE(FindDialog(), nullptr);
          EXPECT_TRUE(store.writes.empty());
          UserSelects(2);
          Click(IDOK);
          return true;
        }});
  EXPECT_EQ(store.Get("NetworkType"), "Please Wait.....");
  EXPECT_TRUE(state.DialogAccepted);
}

TEST_F(ConnectionDialogWin32, RowWithoutDescriptionIsReportedAndTheDialogStaysUsable) {
  table.rows = {MakeRow("eth0", 1, 0, 0), MakeRow("", 1, 0, 0, 0), MakeRow("wlan0", 1, 0, 0)};
  listingTicks = 5000;  // the time check does not run
  Show({ErrorBoxSays(L"Range check error."), BoxGone(), [this] {
          EXPECT_EQ(ListLines(), std::vector<std::wstring>{L"eth0"});
          EXPECT_EQ(Selected(), LB_ERR);
          EXPECT_TRUE(app.boxes.empty());
          UserSelects(0);
          Click(IDOK);
          return true;
        }});
  EXPECT_EQ(store.Get("NetworkType"), "eth0");
  EXPECT_FALSE(app.terminated);
}

TEST_F(ConnectionDialogWin32, SlowListingEndsTheShowingAndTheProgram) {
  SetRows({"eth0"});
  listingTicks = 2401;
  state.DialogAccepted = true;
  Show({});
  ASSERT_EQ(app.boxes.size(), 1u);
  EXPECT_EQ(app.boxes[0].kind, "message");
  EXPECT_NE(app.boxes[0].text.find("\r\r Please disable the QOS"), std::string::npos);
  EXPECT_TRUE(app.terminated);
  EXPECT_TRUE(state.DialogAccepted);
  EXPECT_TRUE(store.writes.empty());
}

TEST_F(ConnectionDialogWin32, ButtonsShowTheirGlyphBesideTheCaption) {
  SetRows({"eth0"});
  Show({Settled(), [] {
          const Pixels disabledOk = PaintedPixels(Item(IDOK));
          EXPECT_EQ(disabledOk.green, 0);
          const Pixels cancel = PaintedPixels(Item(IDCANCEL));
          EXPECT_GT(cancel.red, 10);
          EXPECT_GT(cancel.dark, 10);
          UserSelects(0);
          const Pixels ok = PaintedPixels(Item(IDOK));
          EXPECT_GT(ok.green, 10);
          EXPECT_GT(ok.dark, 10);
          Click(IDCANCEL);
          return true;
        }});
}

TEST_F(ConnectionDialogWin32, TwentyShowingsLeaveNothingBehind) {
  SetRows({"lo", "eth0"});
  const auto showOnce = [this] {
    Show({Settled(), [] {
            Click(IDCANCEL);
            return true;
          }});
  };
  showOnce();
  showOnce();
  GdiSlots slots;
  const unsigned gdiBefore = slots.InUse();
  const DWORD gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  const DWORD userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
  const int windows = ThreadWindowCount();
  for (int i = 0; i < 20; ++i)
    showOnce();
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiObjects);
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS), userObjects);
  EXPECT_EQ(ThreadWindowCount(), windows);
  if (gdiObjects == 0) {
    EXPECT_EQ(slots.InUse(), gdiBefore);
  }
}

}  // namespace
}  // namespace pelliton::testing
