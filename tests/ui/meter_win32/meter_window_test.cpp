// The meter window's structure, layout, labels and placement, created hidden.
#include <set>

#include "ui/meter_win32/meter_fixture.h"

namespace pelliton::testing {
namespace {

LOGFONTW FontOf(HWND label) {
  LOGFONTW font{};
  const auto handle = reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0));
  EXPECT_NE(handle, nullptr);
  GetObjectW(handle, sizeof font, &font);
  return font;
}

LONG_PTR Style(HWND window) {
  return GetWindowLongPtrW(window, GWL_STYLE);
}
LONG_PTR ExStyle(HWND window) {
  return GetWindowLongPtrW(window, GWL_EXSTYLE);
}

TEST_F(MeterWindowTest, IsABorderlessLayeredPopupOwnedByTheApplication) {
  wchar_t className[64] = {};
  GetClassNameW(Window(), className, 64);
  EXPECT_STREQ(className, L"TPellitonForm");
  EXPECT_EQ(TextOf(Window()), L"Pelliton");
  EXPECT_EQ(GetWindow(Window(), GW_OWNER), app.Handle());

  const LONG_PTR style = Style(Window());
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_BORDER));
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
  EXPECT_FALSE(style & WS_VISIBLE);
  EXPECT_TRUE(ExStyle(Window()) & WS_EX_LAYERED);

  // Painted with per-pixel alpha: no colour key, no constant alpha.
  COLORREF key = 0;
  BYTE alpha = 0;
  DWORD flags = 0;
  EXPECT_FALSE(GetLayeredWindowAttributes(Window(), &key, &alpha, &flags));
}

TEST_F(MeterWindowTest, LabelsCarryTheirIdsAndResourceCaptions) {
  EXPECT_EQ(TextOf(Label(IDC_LABEL1)), L"0 KB");
  EXPECT_EQ(TextOf(Label(IDC_LABEL2)), L"1,000.20 MB");
  EXPECT_EQ(TextOf(Label(IDC_LABEL3)), L"00:00");
  for (int id : {IDC_LABEL1, IDC_LABEL2, IDC_LABEL3}) {
    SCOPED_TRACE(id);
    EXPECT_EQ((Style(Label(id)) & SS_TYPEMASK), SS_OWNERDRAW);
    EXPECT_TRUE(Style(Label(id)) & WS_VISIBLE);
  }
}

TEST_F(MeterWindowTest, OnlyLabel1TakesTheMouse) {
  EXPECT_EQ(SendMessageW(Label(IDC_LABEL1), WM_NCHITTEST, 0, 0), HTCLIENT);
  EXPECT_EQ(SendMessageW(Label(IDC_LABEL2), WM_NCHITTEST, 0, 0), HTTRANSPARENT);
  EXPECT_EQ(SendMessageW(Label(IDC_LABEL3), WM_NCHITTEST, 0, 0), HTTRANSPARENT);
}

TEST_F(MeterWindowTest, SetLabelsShowsTheTextsToOtherPrograms) {
  meter.SetLabel1("1,234.56 MB");
  meter.SetLabel2("12/s");
  meter.SetLabel3("123:07");
  EXPECT_EQ(TextOf(Label(IDC_LABEL1)), L"1,234.56 MB");
  EXPECT_EQ(TextOf(Label(IDC_LABEL2)), L"12/s");
  EXPECT_EQ(TextOf(Label(IDC_LABEL3)), L"123:07");
  EXPECT_EQ(meter.Label1Text(), "1,234.56 MB");
}

TEST_F(MeterWindowTest, TextsInTheSystemCodePageRoundTrip) {
  std::string ansi;
  ansi += static_cast<char>(0xE9);  // e acute in every Western code page
  ansi += "FR";
  meter.SetLabel1(ansi);
  wchar_t expected[8] = {};
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, expected, 8);
  EXPECT_EQ(TextOf(Label(IDC_LABEL1)), expected);
  EXPECT_EQ(meter.Label1Text(), ansi);
}

TEST_F(MeterWindowTest, AnUnchangedTextIsNotRedrawn) {
  meter.SetLabel2("0/s");
  const int repaints = meter.RepaintsForTesting();
  meter.SetLabel2("0/s");
  EXPECT_EQ(meter.RepaintsForTesting(), repaints);
  meter.SetLabel2("1/s");
  EXPECT_EQ(meter.RepaintsForTesting(), repaints + 1);
}

TEST_F(MeterWindowTest, SetLabelsVisibleHidesAndShowsAllThree) {
  meter.SetLabelsVisible(false);
  for (int id : {IDC_LABEL1, IDC_LABEL2, IDC_LABEL3})
    EXPECT_FALSE(Style(Label(id)) & WS_VISIBLE) << id;
  meter.SetLabelsVisible(true);
  for (int id : {IDC_LABEL1, IDC_LABEL2, IDC_LABEL3})
    EXPECT_TRUE(Style(Label(id)) & WS_VISIBLE) << id;
}

TEST_F(MeterWindowTest, PositionIsTheWindowsScreenPosition) {
  meter.SetTop(-30);
  meter.SetLeft(1500);
  EXPECT_EQ(meter.Top(), -30);
  EXPECT_EQ(meter.Left(), 1500);
  RECT frame{};
  GetWindowRect(Window(), &frame);
  EXPECT_EQ(frame.left, 1500);
  EXPECT_EQ(frame.top, -30);
  meter.SetLeft(-14);
  EXPECT_EQ(meter.Left(), -14);
  EXPECT_EQ(meter.Top(), -30);
}

TEST_F(MeterWindowTest, SetTopmostSetsAndClearsTheTopmostBandAndShows) {
  meter.SetTopmost(true);
  EXPECT_TRUE(ExStyle(Window()) & WS_EX_TOPMOST);
  EXPECT_TRUE(IsWindowVisible(Window()));
  meter.SetTopmost(false);
  EXPECT_FALSE(ExStyle(Window()) & WS_EX_TOPMOST);
  EXPECT_EQ(GetWindow(Window(), GW_OWNER), app.Handle());
  meter.SetTopmost(true);
  EXPECT_TRUE(ExStyle(Window()) & WS_EX_TOPMOST);
}

// "Show Meter" off at start-up hides the meter while its icon is still to come; here no
// shell takes the icon, and once that is known the meter shows, so that there is a way in.
TEST_F(MeterWindowTest, ShowMeterOffWithoutAnIconLeavesTheMeterShown) {
  meter.ShowAndActivate();
  meter.SetMeterShown(false);
  EXPECT_FALSE(IsWindowVisible(Window()));
  ASSERT_TRUE(PumpUntil([&] { return !events.calls.empty(); }));
  EXPECT_TRUE(IsWindowVisible(Window()));
  meter.ShowTrayStatus({"24 % of 50 GB, 22 days left", 24});
  meter.SetMeterShown(false);
  EXPECT_TRUE(IsWindowVisible(Window()));
}

TEST_F(MeterWindowTest, HideTaskbarButtonHidesTheApplicationWindowOnly) {
  app.ShowTaskbarButton();
  meter.SetTopmost(true);
  ASSERT_TRUE(IsWindowVisible(app.Handle()));
  meter.HideTaskbarButton();
  EXPECT_FALSE(IsWindowVisible(app.Handle()));
  EXPECT_TRUE(Style(Window()) & WS_VISIBLE);
}

TEST_F(MeterWindowTest, Timer1DeliversTicksUntilDisabled) {
  meter.SetTimer1IntervalForTesting(30);
  meter.SetTimer1Enabled(true);
  EXPECT_TRUE(PumpUntil([&] { return events.calls.size() >= 2; }));
  EXPECT_EQ(events.calls.front(), "timer");
  meter.SetTimer1Enabled(false);
  EXPECT_FALSE(KillTimer(Window(), 1));  // no timer left to kill
  events.calls.clear();
  PumpUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_TRUE(events.calls.empty());
}

TEST_F(MeterWindowTest, Timer1IsOffAtCreation) {
  EXPECT_FALSE(KillTimer(Window(), 1));
}

TEST_F(MeterWindowTest, FormActivateRunsOnceAtTheFirstActivation) {
  meter.ShowAndActivate();
  EXPECT_TRUE(IsWindowVisible(Window()));
  ASSERT_TRUE(PumpUntil([&] { return !events.calls.empty(); }));
  meter.ShowAndActivate();
  PumpUntil([] { return false; }, std::chrono::milliseconds(50));
  EXPECT_EQ(events.calls, std::vector<std::string>{"activate"});
}

TEST_F(MeterWindowTest, ClosingByTheSystemEndsTheProgram) {
  SendMessageW(Window(), WM_ENDSESSION, FALSE, 0);
  EXPECT_FALSE(app.Terminated());
  SendMessageW(Window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_TRUE(app.Terminated());
}

TEST_F(MeterWindowTest, CloseMessageEndsTheProgramAndKeepsTheWindow) {
  SendMessageW(Window(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(app.Terminated());
  EXPECT_TRUE(IsWindow(Window()));
}

// Layout at a given DPI: window and label rectangles, fonts and label tops.
struct DpiCase {
  int dpi;
  SIZE client;
  RECT label1, label2, label3;
  LONG label1Height, smallHeight, label1HeightAt18;
  LONG label2TopAt1, label3TopAt14;  // after SetLabelTops(1, 14)
};

class MeterLayoutTest : public MeterWindowTest, public ::testing::WithParamInterface<DpiCase> {
 protected:
  MeterLayoutTest() : MeterWindowTest(GetParam().dpi) {}
};

void ExpectRect(const RECT& actual, const RECT& expected) {
  EXPECT_EQ(actual.left, expected.left);
  EXPECT_EQ(actual.top, expected.top);
  EXPECT_EQ(actual.right, expected.right);
  EXPECT_EQ(actual.bottom, expected.bottom);
}

TEST_P(MeterLayoutTest, WindowAndLabelsAreScaledFromTheirSizesAt96Dpi) {
  const DpiCase& c = GetParam();
  RECT client{};
  GetClientRect(Window(), &client);
  EXPECT_EQ(client.right, c.client.cx);
  EXPECT_EQ(client.bottom, c.client.cy);
  RECT frame{};
  GetWindowRect(Window(), &frame);
  EXPECT_EQ(frame.right - frame.left, c.client.cx);  // no frame at all
  ExpectRect(LabelRect(IDC_LABEL1), c.label1);
  ExpectRect(LabelRect(IDC_LABEL2), c.label2);
  ExpectRect(LabelRect(IDC_LABEL3), c.label3);
}

TEST_P(MeterLayoutTest, LabelFontsAreTheResourceFonts) {
  const LOGFONTW big = FontOf(Label(IDC_LABEL1));
  EXPECT_STREQ(big.lfFaceName, L"Arial");
  EXPECT_EQ(big.lfHeight, GetParam().label1Height);
  EXPECT_EQ(big.lfWeight, FW_BOLD);
  EXPECT_TRUE(big.lfItalic);
  EXPECT_EQ(big.lfCharSet, ANSI_CHARSET);
  EXPECT_EQ(big.lfQuality, NONANTIALIASED_QUALITY);
  for (int id : {IDC_LABEL2, IDC_LABEL3}) {
    const LOGFONTW small = FontOf(Label(id));
    EXPECT_STREQ(small.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(small.lfHeight, GetParam().smallHeight);
    EXPECT_EQ(small.lfQuality, NONANTIALIASED_QUALITY);
  }
}

TEST_P(MeterLayoutTest, SetLabel1FontSizeChangesOnlyLabel1) {
  meter.SetLabel1FontSize(18);
  const LOGFONTW big = FontOf(Label(IDC_LABEL1));
  EXPECT_STREQ(big.lfFaceName, L"Arial");
  EXPECT_EQ(big.lfHeight, GetParam().label1HeightAt18);
  EXPECT_EQ(big.lfWeight, FW_BOLD);
  EXPECT_TRUE(big.lfItalic);
  EXPECT_EQ(FontOf(Label(IDC_LABEL2)).lfHeight, GetParam().smallHeight);
  ExpectRect(LabelRect(IDC_LABEL1), GetParam().label1);
}

TEST_P(MeterLayoutTest, SetLabelTopsMovesOnlyTheSmallLabelsVertically) {
  const DpiCase& c = GetParam();
  meter.SetLabelTops(1, 14);
  EXPECT_EQ(LabelRect(IDC_LABEL2).top, c.label2TopAt1);
  EXPECT_EQ(LabelRect(IDC_LABEL3).top, c.label3TopAt14);
  meter.SetLabelTops(5, 22);
  ExpectRect(LabelRect(IDC_LABEL2), c.label2);
  ExpectRect(LabelRect(IDC_LABEL3), c.label3);
  EXPECT_EQ(LabelRect(IDC_LABEL2).left, c.label2.left);
  ExpectRect(LabelRect(IDC_LABEL1), c.label1);
}

// Where everything of the meter is and what it shows: client size, label places, font
// heights, hit boxes, texts and the picture.
std::vector<LONG> ShapeOf(const Win32MeterWindow& window) {
  RECT client{};
  GetClientRect(window.Handle(), &client);
  std::vector<LONG> shape{client.right, client.bottom};
  for (int index = 0; index < 3; ++index) {
    HWND label = GetDlgItem(window.Handle(), IDC_LABEL1 + index);
    RECT rect{};
    GetWindowRect(label, &rect);
    MapWindowPoints(nullptr, window.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    const RECT box = window.HitBox(index);
    shape.insert(shape.end(), {rect.left, rect.top, rect.right, rect.bottom, FontOf(label).lfHeight,
                               box.left, box.top, box.right, box.bottom});
    for (wchar_t c : TextOf(label))
      shape.push_back(c);
  }
  for (std::uint32_t pixel : window.Picture())
    shape.push_back(static_cast<LONG>(pixel));
  return shape;
}

TEST_P(MeterLayoutTest, AMoveToAnotherDpiLaysTheFormOutAsAtStartUpThere) {
  const int here = GetParam().dpi, there = here == 96 ? 144 : 96;
  Win32MeterWindow startedThere(app.Handle(), app, there);
  for (Win32MeterWindow* window : {&meter, &startedThere}) {
    window->SetLabel1("12,345 KB");
    window->SetLabel2("1.5 GB");
    window->SetLabel3("12:34");
    window->SetLabel1FontSize(18);
    window->SetLabelTops(1, 14);
  }
  const std::vector<LONG> before = ShapeOf(meter);
  const RECT suggested{100, 50, 101, 51};  // only its place is taken: the size is the layout's
  SendMessageW(Window(), WM_DPICHANGED, MAKEWPARAM(there, there),
               reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(ShapeOf(meter), ShapeOf(startedThere));
  EXPECT_EQ(meter.Dpi(), there);
  EXPECT_EQ(std::pair(meter.Left(), meter.Top()), std::pair(100, 50));
  SendMessageW(Window(), WM_DPICHANGED, MAKEWPARAM(here, here), 0);  // no rectangle: stays
  EXPECT_EQ(ShapeOf(meter), before);
  EXPECT_EQ(std::pair(meter.Left(), meter.Top()), std::pair(100, 50));
  SendMessageW(Window(), WM_DPICHANGED, MAKEWPARAM(0, 0), reinterpret_cast<LPARAM>(&suggested));
  EXPECT_EQ(ShapeOf(meter), before) << "an absurd DPI is ignored";
  EXPECT_TRUE(events.calls.empty());
}

INSTANTIATE_TEST_SUITE_P(Dpi, MeterLayoutTest,
                         ::testing::Values(DpiCase{96,
                                                   {241, 38},
                                                   {0, 0, 177, 38},
                                                   {181, 5, 241, 21},
                                                   {181, 22, 241, 38},
                                                   -21,
                                                   -11,
                                                   -24,
                                                   1,
                                                   14},
                                           DpiCase{144,
                                                   {362, 57},
                                                   {0, 0, 266, 57},
                                                   {272, 8, 362, 32},
                                                   {272, 33, 362, 57},
                                                   -32,
                                                   -16,
                                                   -36,
                                                   2,
                                                   21}),
                         [](const ::testing::TestParamInfo<DpiCase>& param) {
                           return "At" + std::to_string(param.param.dpi);
                         });

}  // namespace
}  // namespace pelliton::testing
