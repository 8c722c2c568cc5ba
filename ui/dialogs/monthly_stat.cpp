#include "ui/dialogs/monthly_stat.h"

#include <cstddef>

#include "metering/history/all_data.h"

namespace pelliton {

namespace {

// Where the pieces of a record lie after its first character, and how wide they are.
struct PieceAt {
  std::size_t offset;
  std::size_t width;
};
constexpr PieceAt kStartDate{0, 12};
constexpr PieceAt kEndDate{12, 12};
constexpr PieceAt kQuantity{24, 11};
constexpr PieceAt kHours{35, 3};
constexpr PieceAt kMinutes{38, 2};

// The piece of the record that begins at `record`: cut at the end of the text, empty when
// it begins past it.
std::u16string_view Piece(std::u16string_view text, std::size_t record, PieceAt piece) {
  const std::size_t from = record + piece.offset;
  if (from >= text.size()) return {};
  return text.substr(from, piece.width);
}

}  // namespace

std::u16string BuildStatisticsText(std::u16string_view allData) {
  std::u16string text;
  for (std::size_t record = kHeadLength; record < allData.size(); record += kRecordLength) {
    text.append(Piece(allData, record, kStartDate))
        .append(u" - ")
        .append(Piece(allData, record, kEndDate))
        .append(u" : ")
        .append(Piece(allData, record, kQuantity))
        .append(u" in ")
        .append(Piece(allData, record, kHours))
        .append(u" Hrs and ")
        .append(Piece(allData, record, kMinutes))
        .append(u" Mins\r");
  }
  return text;
}

void TAllStatForm::FormActivate() {
  view_.SetLabel1Text(BuildStatisticsText(state_.AllData));
}

void TAllStatForm::FormDestroy() {
  RaiseMeter(meter_);
}

}  // namespace pelliton
