#include "testbench/frames/coordinates.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace talvir::testbench {
namespace {

constexpr double kStepDegrees = 180.0 / 524287;

TEST(Coordinates, OnesComplementCodesRoundTripWithinHalfAStep) {
  // Bit 19 with nothing below it is the complement of the full magnitude.
  EXPECT_DOUBLE_EQ(CoordinateDegrees(0x80000), -180.0);
  EXPECT_EQ(CoordinateCode(-180.0), 0x80000u);
  EXPECT_EQ(CoordinateCode(90.00017), 0x40000u);
  EXPECT_EQ(CoordinateCode(180.0), 0x7FFFFu);
  EXPECT_EQ(LatitudeCode(-51.5), ~LatitudeCode(51.5) & 0xFFFFFu);
  // Too small to round away from zero: stays a positive zero.
  EXPECT_EQ(LongitudeCode(-kStepDegrees / 4), 0u);
  for (double degrees = -180.0; degrees <= 180.0; degrees += 0.37) {
    const uint32_t code = CoordinateCode(degrees);
    ASSERT_LE(code, 0xFFFFFu);
    ASSERT_NEAR(CoordinateDegrees(code), degrees, kStepDegrees / 2 + 1e-12) << degrees;
  }
  EXPECT_THROW(LatitudeCode(90.01), std::invalid_argument);
  EXPECT_THROW(LongitudeCode(-180.5), std::invalid_argument);
  EXPECT_THROW(CoordinateCode(std::numeric_limits<double>::quiet_NaN()), std::invalid_argument);
  EXPECT_NO_THROW(LatitudeCode(-90.0));
}

TEST(Coordinates, IcaoAddressTravelsBitReversed) {
  // 0x4CA1B2 = 0100 1100 1010 0001 1011 0010, reversed 0100 1101 1000 0101 0011 0010.
  EXPECT_EQ(IcaoAddressField(0x4CA1B2), (std::array<uint8_t, 3>{0x32, 0x85, 0x4D}));
  EXPECT_EQ(IcaoAddressField(0x800000), (std::array<uint8_t, 3>{0x01, 0x00, 0x00}));
  EXPECT_THROW(IcaoAddressField(0x1000000), std::invalid_argument);
}

}  // namespace
}  // namespace talvir::testbench
