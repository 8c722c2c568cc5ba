// What the window's picture holds: the texts opaque in the text colour, aligned and clipped,
// each in a box of alpha 1/255 that reaches 2 pixels beyond its ink, and nothing elsewhere.
#include <algorithm>
#include <cstdint>
#include <iterator>
#include <vector>

#include "ui/meter_win32/meter_fixture.h"

namespace pelliton::testing {
namespace {

constexpr std::uint32_t kRedText = 0xFFFF0000;  // opaque, premultiplied BGRA
constexpr std::uint32_t kHitPixel = 0x01010101;

class MeterDrawingTest : public MeterWindowTest {
 protected:
  void Draw() {
    picture_ = meter.Picture();
    RECT client{};
    GetClientRect(Window(), &client);
    width_ = client.right;
    height_ = client.bottom;
    ASSERT_EQ(picture_.size(), static_cast<std::size_t>(width_ * height_));
  }
  std::uint32_t Pixel(int x, int y) const {
    return picture_[static_cast<std::size_t>(y * width_ + x)];
  }
  // The bounds of the text pixels inside a label's rectangle; empty if none.
  RECT Ink(int id) const {
    RECT rect = LabelRect(id);
    if (id == IDC_LABEL2) rect.bottom = std::min(rect.bottom, LabelRect(IDC_LABEL3).top);
    RECT ink{};
    for (int y = rect.top; y < rect.bottom; ++y) {
      for (int x = rect.left; x < rect.right; ++x) {
        if (Pixel(x, y) >> 24 != 0xFF) continue;
        const RECT dot{x, y, x + 1, y + 1};
        UnionRect(&ink, &ink, &dot);
      }
    }
    return ink;
  }

  std::vector<std::uint32_t> picture_;
  int width_ = 0;
  int height_ = 0;
};

TEST_F(MeterDrawingTest, TextsAreOpaqueInTheirHitBoxesAndTheRestIsNothing) {
  meter.SetLabelsColor(0x0000FF);  // red, 0x00BBGGRR
  meter.SetLabel1FontSize(18);
  meter.SetLabel1("1,234.56 MB");
  Draw();
  const RECT boxes[] = {meter.HitBox(0), meter.HitBox(1), meter.HitBox(2)};
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const std::uint32_t pixel = Pixel(x, y);
      ASSERT_TRUE(pixel == kRedText || pixel == kHitPixel || pixel == 0) << x << "," << y;
      const bool inBox = std::any_of(std::begin(boxes), std::end(boxes),
                                     [&](const RECT& box) { return PtInRect(&box, {x, y}); });
      EXPECT_EQ(pixel != 0, inBox) << x << "," << y;
    }
  }
  const RECT client{0, 0, width_, height_};
  for (int index = 0; index < 3; ++index) {  // each box is its ink padded by 2 pixels
    RECT padded = Ink(IDC_LABEL1 + index);
    ASSERT_FALSE(IsRectEmpty(&padded)) << index;
    InflateRect(&padded, 2, 2);
    IntersectRect(&padded, &padded, &client);
    EXPECT_TRUE(EqualRect(&padded, &boxes[index])) << index;
  }
  meter.SetLabelsVisible(false);
  Draw();
  EXPECT_TRUE(std::all_of(picture_.begin(), picture_.end(), [](auto p) { return p == 0; }));
}

TEST_F(MeterDrawingTest, Label1IsRightJustifiedAndTheSmallLabelsLeftJustified) {
  meter.SetLabel2("5/s");
  Draw();
  const RECT label1 = LabelRect(IDC_LABEL1);
  const RECT ink1 = Ink(IDC_LABEL1);
  EXPECT_GT(ink1.left, (label1.left + label1.right) / 2);
  EXPECT_GE(ink1.right, label1.right - 6);
  const RECT label2 = LabelRect(IDC_LABEL2);
  const RECT ink2 = Ink(IDC_LABEL2);
  EXPECT_LE(ink2.left, label2.left + 2);
  EXPECT_LT(ink2.right, (label2.left + label2.right) / 2);
}

TEST_F(MeterDrawingTest, ATooWideTotalLosesItsLeftPart) {
  meter.SetLabel1FontSize(26);
  meter.SetLabel1("4,294,967,295.00 GB");
  Draw();
  const RECT label1 = LabelRect(IDC_LABEL1);
  const RECT ink = Ink(IDC_LABEL1);
  EXPECT_LE(ink.left, label1.left + 4);
  EXPECT_GE(ink.right, label1.right - 6);
  EXPECT_LE(ink.right, label1.right);
}

}  // namespace
}  // namespace pelliton::testing
