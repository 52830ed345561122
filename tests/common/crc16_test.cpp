#include "common/crc16.h"

#include <gtest/gtest.h>

#include <array>
#include <string_view>
#include <vector>

namespace talvir {
namespace {

TEST(Crc16, CheckValuesAndTheFcsReadLowByteFirstNeverPastTheFrame) {
  const std::string_view digits = "123456789";
  std::vector<uint8_t> frame(digits.begin(), digits.end());
  EXPECT_EQ(HfdlFcs(frame), 0x906E);
  EXPECT_EQ(AcarsBcs(frame), 0x2189);
  frame.insert(frame.end(), {0x6E, 0x90});
  EXPECT_TRUE(HfdlCrcCheck(frame, 9));
  frame[3] ^= 0x01;
  EXPECT_FALSE(HfdlCrcCheck(frame, 9));

  const std::array<uint8_t, 3> shortFrame{0x31, 0x32, 0x33};
  EXPECT_FALSE(HfdlCrcCheck(shortFrame, 2));
  EXPECT_FALSE(HfdlCrcCheck(shortFrame, 100));
  // n <= 0 compares the stored value with zero.
  const std::array<uint8_t, 2> zero{0, 0};
  EXPECT_TRUE(HfdlCrcCheck(zero, 0));
  EXPECT_TRUE(HfdlCrcCheck(zero, -3));
}

}  // namespace
}  // namespace talvir
