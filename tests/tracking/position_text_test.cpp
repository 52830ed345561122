#include "tracking/position_text.h"

#include <gtest/gtest.h>

namespace talvir {
namespace {

TEST(PositionText, CoordinateCodes) {
  EXPECT_EQ(CoordinateMagnitude(0x80000), 0x7FFFF);
  EXPECT_EQ(FormatLatitude(0x80000), "180 0 0  S ");
  EXPECT_EQ(FormatLongitude(0x80000), "180 0 0  W ");
  EXPECT_EQ(FormatLatitude(0x40000), "90 0 0  N ");
  EXPECT_EQ(FormatLongitude(0x40000), "90 0 0  E ");
  EXPECT_DOUBLE_EQ(CoordinateDegrees(0x7FFFF), 180.0);
  EXPECT_DOUBLE_EQ(CoordinateDegrees(0xFFFFF), -0.0);
  // 51.5 degrees north: 51 30 0; the code 0x80000 | ~m holds the negative.
  const int32_t m = 150000;  // 51.4984 degrees
  EXPECT_EQ(FormatDegreesMinutesSeconds(m), "51 29 54 ");
  EXPECT_EQ(FormatLongitude(0x80000 | (~m & 0x7FFFF)), "51 29 54  W ");
  EXPECT_EQ(FormatDdeLatitude(m), "51,29,54,N");
  EXPECT_EQ(FormatDdeLongitude(0x80000 | (~m & 0x7FFFF)), "51,29,54,W");
}

TEST(PositionText, HalfSecondTimes) {
  EXPECT_EQ(FormatHalfSecondsTime(21600), "12:00:00 ");
  EXPECT_EQ(FormatHalfSecondsTime(43199), "23:59:58 ");
  EXPECT_EQ(FormatDdeTime(21600), "120000");
  EXPECT_EQ(FormatDdeTime(0), "000000");
}

}  // namespace
}  // namespace talvir
