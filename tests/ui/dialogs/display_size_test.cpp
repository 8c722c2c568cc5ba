#include "ui/dialogs/display_size.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "dialog_fakes.h"
#include "store/errors.h"

namespace pelliton::testing {
namespace {

// The preview and a track bar that, like the real one, starts at 16 and keeps the thumb in
// 16..26.
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
  // The user moves the thumb to `position`.
  void Move(int position) {
    view.position = position;
    form.TrackBar1Change();
  }

  FakePreview view;
  TDisplaySizeForm form{Ports(), view};
};

TEST_F(DisplaySizeFormTest, ActivationCopiesTheMeterTextAtFontSizeInClockColor) {
  form.FormActivate();
  EXPECT_EQ(view.text, "DC");
  EXPECT_EQ(view.size, 18);
  EXPECT_EQ(view.color, 0x0000FF);
  EXPECT_EQ(view.position, 18);
  window.label1 = "12 KB";  // a later tick
  Move(20);
  EXPECT_EQ(view.text, "DC");
  EXPECT_EQ(view.size, 20);
  EXPECT_TRUE(store.writes.empty());
  EXPECT_EQ(window.fontSize, 16);  // the meter is untouched before OK
}

TEST_F(DisplaySizeFormTest, StoredSizeOutsideTheRangePreviewsAndStoresTheNearestBound) {
  const struct {
    std::uint8_t stored;
    int shown;
  } cases[] = {{0, 16}, {15, 16}, {16, 16}, {26, 26}, {27, 26}, {255, 26}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int{c.stored});
    state.FontSize = c.stored;
    view = FakePreview{};
    form.FormActivate();
    EXPECT_EQ(view.position, c.shown);
    EXPECT_EQ(view.size, c.shown);
    form.BitBtn1Click();
    EXPECT_EQ(state.FontSize, c.shown);
    EXPECT_EQ(store.Get("FontSize"), std::to_string(c.shown));
  }
}

TEST_F(DisplaySizeFormTest, OkAppliesEverySizeWithItsLabelTops) {
  const int label2Tops[] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5};
  for (int size = 16; size <= 26; ++size) {
    SCOPED_TRACE(size);
    form.FormActivate();
    Move(size);
    form.BitBtn1Click();
    EXPECT_EQ(state.FontSize, size);
    EXPECT_EQ(store.Get("FontSize"), std::to_string(size));
    EXPECT_EQ(window.fontSize, size);
    EXPECT_EQ(window.label2Top, label2Tops[size - 16]);
    EXPECT_EQ(window.label3Top, size - 4);
  }
  EXPECT_EQ(window.color, 0x00FF00);  // colour, texts and position stay
  EXPECT_EQ(window.label1, "DC");
  EXPECT_TRUE(window.moves.empty());
}

TEST_F(DisplaySizeFormTest, FailingWriteKeepsTheNewSizeInMemoryAndTheMeterAsItWas) {
  store.failingWrites.insert("FontSize");
  form.FormActivate();
  Move(21);
  EXPECT_THROW(form.BitBtn1Click(), RegistryError);
  EXPECT_EQ(state.FontSize, 21);
  EXPECT_EQ(window.fontSize, 16);
  EXPECT_EQ(window.label3Top, 22);
}

TEST_F(DisplaySizeFormTest, FormDestroyRaisesTheMeterAndNothingElse) {
  form.FormActivate();
  Move(24);
  form.FormDestroy();  // Cancel: no BitBtn1Click
  EXPECT_EQ(window.topmostCalls, std::vector<bool>{true});
  EXPECT_EQ(state.FontSize, 18);
  EXPECT_TRUE(store.writes.empty());
  EXPECT_EQ(window.fontSize, 16);
}

}  // namespace
}  // namespace pelliton::testing
