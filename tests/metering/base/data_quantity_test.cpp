#include <gtest/gtest.h>

#include "metering/accounting.h"
#include "metering/base/data_quantity.h"
#include "store/errors.h"

namespace pelliton {
namespace {

struct QuantityCase {
  std::uint32_t kilobytes;
  const char* english;
  const char* continental;  // decimal ',' and thousands '.'
};

TEST(FormatDataQuantity, UnitBoundariesAndRounding) {
  const QuantityCase cases[] = {
      {0, "0 KB", "0 KB"},
      {999, "999 KB", "999 KB"},
      {1023, "1,023 KB", "1.023 KB"},
      {1024, "1.00 MB", "1,00 MB"},
      {1151, "1.12 MB", "1,12 MB"},  // 1.1240...
      {1152, "1.13 MB", "1,13 MB"},  // exactly 1.125: the half goes up
      {1536, "1.50 MB", "1,50 MB"},
      {1048575, "1,024.00 MB", "1.024,00 MB"},  // rounds up, stays in MB
      {1048576, "1.00 GB", "1,00 GB"},
      {1179648, "1.13 GB", "1,13 GB"},  // exactly 1.125 GB
      {1073741824, "1,024.00 GB", "1.024,00 GB"},
      {4294967295, "4,096.00 GB", "4.096,00 GB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kilobytes);
    EXPECT_EQ(FormatDataQuantity(c.kilobytes, {',', '.'}), c.english);
    EXPECT_EQ(FormatDataQuantity(c.kilobytes, {'.', ','}), c.continental);
  }
}

TEST(FormatDataQuantity, GroupsEveryThreeDigits) {
  // The largest integer part any unit reaches is four digits; KB never pass 1023.
  EXPECT_EQ(FormatDataQuantity(1048575, {' ', ','}), "1 024,00 MB");
  EXPECT_EQ(FormatDataQuantity(1048575, {'\0', '.'}), "1024.00 MB");
}

TEST(OctetsToKB, RoundsHalvesToEven) {
  const std::pair<std::uint32_t, std::uint32_t> cases[] = {
      {0, 0},
      {511, 0},
      {512, 0},
      {513, 1},
      {1024, 1},
      {1535, 1},
      {1536, 2},
      {2560, 2},
      {2561, 3},
      {3584, 4},
      {4294965760u, 4194302},  // 4194302.5
      {4294966784u, 4194304},  // 4194303.5
      {4294967295u, 4194304},
  };
  for (const auto& [octets, kilobytes] : cases) {
    EXPECT_EQ(OctetsToKB(octets), kilobytes) << octets;
  }
}

TEST(MeterTexts, SpeedIsHalfTheGrowthTruncated) {
  MeterState state;
  EXPECT_EQ(SpeedText(state), "0/s");
  state.DownDeltaKB = 20;
  state.UpDeltaKB = 5;
  EXPECT_EQ(SpeedText(state), "12/s");
  state.DownDeltaKB = 4294967295u;
  state.UpDeltaKB = 1;
  EXPECT_THROW(SpeedText(state), RangeError);
}

TEST(MeterTexts, TimeHasAtLeastTwoDigitsEach) {
  const struct {
    std::uint16_t hours, minutes;
    const char* text;
  } cases[] = {{0, 0, "00:00"}, {5, 7, "05:07"}, {123, 7, "123:07"}, {65535, 59, "65535:59"}};
  for (const auto& c : cases) {
    MeterState state;
    state.Hours = c.hours;
    state.Minutes = c.minutes;
    EXPECT_EQ(TimeText(state), c.text);
  }
}

}  // namespace
}  // namespace pelliton
