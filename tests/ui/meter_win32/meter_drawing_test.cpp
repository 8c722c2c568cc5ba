// What the labels draw: only the text colour on exact silver, aligned and clipped.
#include <algorithm>
#include <cstdint>
#include <utility>

#include "ui/meter_win32/meter_fixture.h"

namespace pelliton::testing {
namespace {

constexpr std::uint32_t kSilverPixel = 0xC0C0C0;

// A label drawn by the window into a 32-bit bitmap of the label's size.
class DrawnLabel {
 public:
  DrawnLabel(HWND window, HWND label) {
    GetClientRect(label, &rect_);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = rect_.right;
    info.bmiHeader.biHeight = -rect_.bottom;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    std::fill_n(static_cast<std::uint32_t*>(bits_), rect_.right * rect_.bottom, 0x123456u);

    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_STATIC;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(label));
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = label;
    item.hDC = dc_;
    item.rcItem = rect_;
    SendMessageW(window, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    GdiFlush();
  }
  ~DrawnLabel() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  DrawnLabel(const DrawnLabel&) = delete;
  DrawnLabel& operator=(const DrawnLabel&) = delete;

  int Width() const { return rect_.right; }
  int Height() const { return rect_.bottom; }
  std::uint32_t Pixel(int x, int y) const {
    return static_cast<const std::uint32_t*>(bits_)[y * rect_.right + x] & 0xFFFFFF;
  }
  // The leftmost and rightmost columns holding a pixel that is not silver; -1 if none.
  std::pair<int, int> InkColumns() const {
    int first = -1;
    int last = -1;
    for (int x = 0; x < Width(); ++x) {
      for (int y = 0; y < Height(); ++y) {
        if (Pixel(x, y) == kSilverPixel) continue;
        if (first < 0) first = x;
        last = x;
      }
    }
    return {first, last};
  }

 private:
  RECT rect_{};
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ old_ = nullptr;
  void* bits_ = nullptr;
};

using MeterDrawingTest = MeterWindowTest;

TEST_F(MeterDrawingTest, EveryPixelIsTheTextColourOrSilver) {
  meter.SetLabelsColor(0x0000FF);  // red, 0x00BBGGRR
  meter.SetLabel1FontSize(18);
  meter.SetLabel1("1,234.56 MB");
  for (int id : {IDC_LABEL1, IDC_LABEL2, IDC_LABEL3}) {
    SCOPED_TRACE(id);
    DrawnLabel drawn(Window(), Label(id));
    int ink = 0;
    for (int y = 0; y < drawn.Height(); ++y) {
      for (int x = 0; x < drawn.Width(); ++x) {
        const std::uint32_t pixel = drawn.Pixel(x, y);
        ASSERT_TRUE(pixel == kSilverPixel || pixel == 0xFF0000) << x << "," << y << " " << pixel;
        if (pixel != kSilverPixel) ++ink;
      }
    }
    EXPECT_GT(ink, 10);
  }
}

TEST_F(MeterDrawingTest, Label1IsRightJustifiedAndTheSmallLabelsLeftJustified) {
  meter.SetLabel2("5/s");
  DrawnLabel label1(Window(), Label(IDC_LABEL1));
  const auto [first1, last1] = label1.InkColumns();
  EXPECT_GT(first1, label1.Width() / 2);
  EXPECT_GE(last1, label1.Width() - 6);
  DrawnLabel label2(Window(), Label(IDC_LABEL2));
  const auto [first2, last2] = label2.InkColumns();
  EXPECT_LE(first2, 2);
  EXPECT_LT(last2, label2.Width() / 2);
}

TEST_F(MeterDrawingTest, ATooWideTotalLosesItsLeftPart) {
  meter.SetLabel1FontSize(26);
  meter.SetLabel1("4,294,967,295.00 GB");
  DrawnLabel label1(Window(), Label(IDC_LABEL1));
  const auto [first, last] = label1.InkColumns();
  EXPECT_LE(first, 4);
  EXPECT_GE(last, label1.Width() - 6);
}

}  // namespace
}  // namespace pelliton::testing
