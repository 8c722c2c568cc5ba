#pragma once

#include <string>
#include <string_view>

#include "metering/meter_state.h"
#include "ui/meter_window.h"

namespace pelliton {

inline constexpr std::u16string_view kStatisticsNote =
    u"The actual cummulative data (download plus upload) transfered from your computer. ";

// One line per history record of `allData`, newest first, each ended by a lone carriage
// return: "start - end : quantity in hhh Hrs and mm Mins". The head (the start of the cycle in
// progress) is skipped. A record cut short by the end of the text gives a line whose missing
// pieces are empty; any text, however long or odd, gives a text.
std::u16string BuildStatisticsText(std::u16string_view allData);

// The statistics window as its handlers see it.
class StatisticsView {
 public:
  virtual ~StatisticsView() = default;
  virtual void SetLabel1Text(std::u16string_view text) = 0;
};

// The handlers of the statistics window. It only reads: a new instance goes with every
// showing and keeps nothing of its own.
class TAllStatForm {
 public:
  TAllStatForm(const MeterState& state, MeterWindow& meter, StatisticsView& view)
      : state_(state), meter_(meter), view_(view) {}

  // Shows the history as it is in memory now; a later rollover leaves the text alone.
  void FormActivate();
  // Raises the meter as Stay On Top says (RaiseMeter).
  void FormDestroy();

 private:
  const MeterState& state_;
  MeterWindow& meter_;
  StatisticsView& view_;
};

}  // namespace pelliton
