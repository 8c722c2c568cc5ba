#include "ui/dialogs/display_size.h"

#include "store/catalogue.h"
#include "store/errors.h"
#include "ui/placement.h"

namespace pelliton {

TDisplaySizeForm::TDisplaySizeForm(const DialogPorts& ports, DisplaySizeDialogView& view)
    : ports_(ports), view_(view) {}

void TDisplaySizeForm::FormActivate() {
  const MeterState& state = ports_.state;
  view_.SetPreviewText(ports_.window.Label1Text());
  view_.SetPreviewFontSize(state.FontSize);
  view_.SetPreviewColor(state.ClockColor);
  view_.SetTrackBarPosition(state.FontSize);
  // Also when the thumb did not move: a stored size below the range leaves it at the
  // bottom, and the preview must show that size, not the stored one.
  TrackBar1Change();
}

void TDisplaySizeForm::TrackBar1Change() {
  view_.SetPreviewFontSize(CheckedNarrow<std::uint8_t>(view_.TrackBarPosition()));
}

void TDisplaySizeForm::BitBtn1Click() {
  MeterState& state = ports_.state;
  state.FontSize = view_.PreviewFontSize();
  WriteValueNumber(ports_.store, stored::FontSize, state.FontSize);
  ports_.window.SetLabel1FontSize(state.FontSize);
  const LabelTops tops = LabelTopsFor(state.FontSize);
  ports_.window.SetLabelTops(tops.label2, tops.label3);
}

void TDisplaySizeForm::FormDestroy() {
  RaiseMeter(ports_.window);
}

}  // namespace pelliton
