#include "common/crc16.h"

#include <gtest/gtest.h>

#include <array>
#include <string_view>
#include <vector>

namespace talvir {
namespace {

std::vector<uint8_t> Bytes(std::string_view text) { return {text.begin(), text.end()}; }

TEST(Crc16, KnownCheckValues) {
  const auto digits = Bytes("123456789");
  EXPECT_EQ(HfdlFcs(digits), 0x906E);
  EXPECT_EQ(AcarsBcs(digits), 0x2189);
}

TEST(Crc16, HfdlCheckReadsTheFcsLowByteFirst) {
  auto frame = Bytes("123456789");
  frame.push_back(0x6E);
  frame.push_back(0x90);
  EXPECT_TRUE(HfdlCrcCheck(frame, 9));
  frame[3] ^= 0x01;
  EXPECT_FALSE(HfdlCrcCheck(frame, 9));
}

TEST(Crc16, HfdlCheckNeverReadsPastTheFrame) {
  const std::array<uint8_t, 3> frame{0x31, 0x32, 0x33};
  EXPECT_FALSE(HfdlCrcCheck(frame, 2));
  EXPECT_FALSE(HfdlCrcCheck(frame, 100));
  // n <= 0 compares the stored value with zero.
  const std::array<uint8_t, 2> zero{0, 0};
  EXPECT_TRUE(HfdlCrcCheck(zero, 0));
  EXPECT_TRUE(HfdlCrcCheck(zero, -3));
}

}  // namespace
}  // namespace talvir
