#include "ui/dialogs/display_size.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "dialog_fakes.h"

namespace pelliton::testing {
namespace {

// The preview, and a track bar that starts at 16 and keeps its thumb in 16..26.
class FakePreview : public DisplaySizeDialogView {
 public:
  void SetPreviewText(std::string_view value) override { text = value; }
  void SetPreviewFontSize(std::uint8_t points) override { size = points; }
  std::uint8_t PreviewFontSize() const override { return size; }
  void SetPreviewColor(std::int32_t value) override { color = value; }
  int TrackBarPosition() const override { return position; }
  void SetTrackBarPosition(int value) override { position = std::clamp(value, 16, 26); }

  std::string text;
  std::uint8_t size = 8;
  std::int32_t color = 0;
  int position = 16;
};

class DisplaySizeFormTest : public ::testing::Test, protected FakeDialogPorts {
 protected:
  DisplaySizeFormTest() {
    state.FontSize = 18;
    state.ClockColor = 0x0000FF;
    window.label1 = "DC";
  }

  FakePreview view;
  TDisplaySizeForm form{Ports(), view};
};

TEST_F(DisplaySizeFormTest, PreviewCopiesTheMeterTextOnceAndFollowsTheThumb) {
  form.FormActivate();
  EXPECT_EQ(view.text, "DC");
  EXPECT_EQ(view.color, 0x0000FF);
  EXPECT_EQ(view.size, 18);
  window.label1 = "12 KB";  // a later tick
  view.position = 23;
  form.TrackBar1Change();
  EXPECT_EQ(view.text, "DC");
  EXPECT_EQ(view.size, 23);
  EXPECT_TRUE(store.writes.empty());
  EXPECT_EQ(window.fontSize, 16);  // the meter keeps its size until OK
}

TEST_F(DisplaySizeFormTest, OkAppliesEachSizeWithItsLabelTopsAndAnOutOfRangeOneAtItsBound) {
  // stored FontSize, size on OK, Label2's top; Label3's top is the size less 4.
  const int cases[][3] = {{16, 16, 0}, {17, 17, 0}, {18, 18, 1}, {19, 19, 1}, {20, 20, 2},
                          {21, 21, 2}, {22, 22, 3}, {23, 23, 3}, {24, 24, 4}, {25, 25, 4},
                          {26, 26, 5}, {0, 16, 0},  {15, 16, 0}, {27, 26, 5}, {255, 26, 5}};
  for (const auto& [stored, size, label2Top] : cases) {
    SCOPED_TRACE(stored);
    state.FontSize = static_cast<std::uint8_t>(stored);
    form.FormActivate();
    EXPECT_EQ(view.size, size);
    form.BitBtn1Click();
    EXPECT_EQ(state.FontSize, size);
    EXPECT_EQ(store.Get("FontSize"), std::to_string(size));
    EXPECT_EQ(window.fontSize, size);
    EXPECT_EQ(window.label2Top, label2Top);
    EXPECT_EQ(window.label3Top, size - 4);
  }
  EXPECT_EQ(window.color, 0x00FF00);  // colour and position stay
  EXPECT_TRUE(window.moves.empty());
}

TEST_F(DisplaySizeFormTest, FailingWriteKeepsTheNewSizeInMemoryAndTheMeterAsItWas) {
  store.failingWrites.insert("FontSize");
  form.FormActivate();
  view.position = 21;
  form.TrackBar1Change();
  EXPECT_ANY_THROW(form.BitBtn1Click());
  EXPECT_EQ(state.FontSize, 21);
  EXPECT_EQ(window.fontSize, 16);
}

}  // namespace
}  // namespace pelliton::testing
