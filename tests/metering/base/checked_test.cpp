#include <gtest/gtest.h>

#include "metering/base/checked.h"
#include "store/errors.h"

namespace pelliton {
namespace {

TEST(CheckedArithmetic, FitsTheFieldWidthOrRaises) {
  EXPECT_EQ(CheckedAdd<std::uint16_t>(65533, 2), 65535);
  EXPECT_THROW(CheckedAdd<std::uint16_t>(65534, 2), RangeError);
  EXPECT_EQ(CheckedAdd<std::uint32_t>(4294967290u, 5), 4294967295u);
  EXPECT_THROW(CheckedAdd<std::uint32_t>(4294967295u, 1), RangeError);
  EXPECT_THROW(CheckedNarrow<std::uint8_t>(256), RangeError);
  EXPECT_THROW(CheckedNarrow<std::uint16_t>(-1), RangeError);
  EXPECT_EQ(CheckedNarrow<std::uint8_t>(255), 255);
}

TEST(SaturatedAdd, StopsAtTheTop) {
  EXPECT_EQ(SaturatedAdd<std::uint32_t>(4294967290u, 4), 4294967294u);
  EXPECT_EQ(SaturatedAdd<std::uint32_t>(4294967290u, 6), 4294967295u);
  EXPECT_EQ(SaturatedAdd<std::uint32_t>(0, 1ull << 40), 4294967295u);
}

TEST(CheckedArithmetic, CarriesTheSystemMessage) {
  try {
    CheckedNarrow<std::uint8_t>(300);
    FAIL();
  } catch (const RangeError& e) {
    EXPECT_STREQ(e.what(), "Range check error");
  }
}

}  // namespace
}  // namespace pelliton
