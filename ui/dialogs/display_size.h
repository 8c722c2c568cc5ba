#pragma once

#include <cstdint>
#include <string_view>

#include "ui/dialogs/dialog_ports.h"

namespace pelliton {

// The sizes of the big figure offered, in points.
inline constexpr int kSmallestDisplaySize = 16;
inline constexpr int kLargestDisplaySize = 26;

// "Alter Display Size" as its handlers see it: the preview label and the track bar.
class DisplaySizeDialogView {
 public:
  virtual ~DisplaySizeDialogView() = default;
  virtual void SetPreviewText(std::string_view text) = 0;  // system code page
  virtual void SetPreviewFontSize(std::uint8_t points) = 0;
  virtual std::uint8_t PreviewFontSize() const = 0;
  virtual void SetPreviewColor(std::int32_t color) = 0;  // 0x00BBGGRR
  virtual int TrackBarPosition() const = 0;
  // Moves the thumb the way a program does; the track bar keeps it within its range.
  virtual void SetTrackBarPosition(int position) = 0;
};

// The handlers of the display size dialog. A new instance goes with every showing; nothing
// outside the dialog changes before OK.
class TDisplaySizeForm {
 public:
  TDisplaySizeForm(const DialogPorts& ports, DisplaySizeDialogView& view);

  // Copies the meter's big figure into the preview at FontSize in ClockColor and puts the
  // thumb there; the preview then shows the thumb's size.
  void FormActivate();
  // The thumb moved: the preview follows.
  void TrackBar1Change();
  // Takes the preview's size as FontSize, stores it and applies it to the meter window.
  void BitBtn1Click();
  // Raises the meter as Stay On Top says (RaiseMeter) once the dialog is gone.
  void FormDestroy();

 private:
  DialogPorts ports_;
  DisplaySizeDialogView& view_;
};

}  // namespace pelliton
