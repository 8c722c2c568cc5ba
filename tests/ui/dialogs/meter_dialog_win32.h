#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "dialog_driver_win32.h"
#include "dialog_fakes.h"
#include "ui/dpi_win32.h"

namespace pelliton::testing {

// A dialog that the meter opens, laid out at the DPI of the test's parameter and centred
// over a stand-in meter window, with fakes for everything else.
class MeterDialogWin32 : public ::testing::TestWithParam<int>, protected FakeDialogPorts {
 protected:
  using Step = connection_dialog::Step;
  using ShowFunction = void (*)(HWND owner, HWND meter, const DialogPorts& ports, int dpi);

  MeterDialogWin32(ShowFunction show, const wchar_t* caption) : show_(show), caption_(caption) {}

  void SetUp() override {
    meter = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"meter", WS_POPUP | WS_VISIBLE, 300, 200,
                            160, 40, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(meter, nullptr);
  }
  void TearDown() override { DestroyWindow(meter); }

  // Shows the dialog while `steps` run, then checks that they all ran, that the dialog is
  // gone and that its FormDestroy raised the meter once.
  void Show(std::vector<Step> steps) {
    window.topmostCalls.clear();
    connection_dialog::DialogDriver driver(std::move(steps));
    show_(meter, meter, Ports(), GetParam());
    EXPECT_FALSE(driver.TimedOut()) << "stuck at step " << driver.NextStep();
    EXPECT_TRUE(driver.Finished()) << "closed before step " << driver.NextStep();
    EXPECT_EQ(Dialog(), nullptr);
    EXPECT_EQ(window.topmostCalls, std::vector<bool>{true});
  }

  HWND Dialog() const { return FindWindowW(L"#32770", caption_); }

  struct Placed {
    int id;
    LayoutRect at96;
    bool fitsItsText = false;  // a label that a wider stand-in font may widen
  };
  // The tool-window frame, the client size and each control at its place, scaled to the DPI
  // (the test's, unless given); the tab stops in `tabOrder`.
  void ExpectLayout(int width, int height, const std::vector<Placed>& controls,
                    const std::vector<int>& tabOrder, int dpi = 0) const {
    if (dpi == 0) dpi = GetParam();
    EXPECT_EQ(GetWindowLongW(Dialog(), GWL_STYLE) & (WS_SYSMENU | WS_THICKFRAME), 0);
    const auto exStyle = static_cast<DWORD>(GetWindowLongW(Dialog(), GWL_EXSTYLE));
    EXPECT_EQ(exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
              DWORD{WS_EX_TOOLWINDOW | WS_EX_TOPMOST});
    RECT client{};
    GetClientRect(Dialog(), &client);
    EXPECT_EQ(client.right, Scaled(width, dpi));
    EXPECT_EQ(client.bottom, Scaled(height, dpi));
    for (const Placed& control : controls) {
      SCOPED_TRACE(control.id);
      auto actual = connection_dialog::RectIn(Dialog(), GetDlgItem(Dialog(), control.id));
      auto expected = connection_dialog::ScaledRect(control.at96, dpi);
      if (control.fitsItsText) {
        EXPECT_GE(actual[2], expected[2]);
        EXPECT_GE(actual[3], expected[3]);
        expected[2] = actual[2];
        expected[3] = actual[3];
      }
      EXPECT_EQ(actual, expected);
    }
    std::vector<int> tabStops;
    for (HWND child = GetWindow(Dialog(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) tabStops.push_back(GetDlgCtrlID(child));
    EXPECT_EQ(tabStops, tabOrder);
  }

  // Runs `check` at the test's DPI, after a move of the dialog to a monitor of the other DPI
  // (96 or 144) and after the move back; the system suggests the window for a client area of
  // `width` x `height` at 96 DPI.
  void AtEachDpi(int width, int height, const std::function<void(int dpi)>& check) const {
    const int here = GetParam();
    check(here);
    for (int dpi : {here == 96 ? 144 : 96, here}) {
      RECT frame{0, 0, Scaled(width, dpi), Scaled(height, dpi)};
      AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(Dialog(), GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongW(Dialog(), GWL_EXSTYLE)));
      RECT now{};
      GetWindowRect(Dialog(), &now);
      OffsetRect(&frame, now.left - frame.left, now.top - frame.top);
      SendMessageW(Dialog(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&frame));
      SCOPED_TRACE(dpi);
      check(dpi);
    }
  }

  HWND meter = nullptr;

 private:
  ShowFunction show_;
  const wchar_t* caption_;
};

// Paints a control into a bitmap of its own; the number of its pixels in each colour.
inline std::pair<int, int> PaintedPixels(HWND control, COLORREF first, COLORREF second) {
  RECT client{};
  GetClientRect(control, &client);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = SelectObject(dc, bitmap);
  SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  std::pair<int, int> counts;
  for (int y = 0; y < client.bottom; ++y)
    for (int x = 0; x < client.right; ++x) {
      const COLORREF pixel = GetPixel(dc, x, y);
      counts.first += pixel == first;
      counts.second += pixel == second;
    }
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  return counts;
}

// The layout's DPIs: the common one and one and a half times that.
#define PELLITON_AT_EACH_DPI(fixture)                                       \
  INSTANTIATE_TEST_SUITE_P(Dpi, fixture, ::testing::Values(96, 144),        \
                           [](const ::testing::TestParamInfo<int>& param) { \
                             return "At" + std::to_string(param.param);     \
                           })

}  // namespace pelliton::testing
