#include "testbench/frames/demo_traffic.h"

#include <gtest/gtest.h>

#include <bit>
#include <set>
#include <span>

#include "common/crc16.h"
#include "testbench/frames/burst_padding.h"

namespace talvir::testbench {
namespace {

bool AcarsBlockValid(std::span<const uint8_t> block) {
  std::size_t end = 0;
  while (end < block.size() && (block[end] & 0x7F) != 0x03 && (block[end] & 0x7F) != 0x17) ++end;
  if (end + 4 != block.size() || block[0] != 0x01 || block.back() != 0x7F) return false;
  for (std::size_t i = 0; i <= end; ++i) {
    if (std::popcount(static_cast<unsigned>(block[i])) % 2 != 1) return false;
  }
  const uint16_t bcs = AcarsBcs(block.subspan(1, end));
  return block[end + 1] == (bcs & 0xFF) && block[end + 2] == (bcs >> 8);
}

class DemoTrafficTest : public ::testing::Test {
 protected:
  static const DemoTraffic& Demo() {
    static const DemoTraffic demo = BuildDemoTraffic();
    return demo;
  }
};

TEST_F(DemoTrafficTest, BurstsTakeTheirSlotsWithoutOverlap) {
  std::set<std::pair<int, int>> taken;
  std::set<int> rateCodes;
  int previous = -1;
  for (const DemoBurst& b : Demo().bursts) {
    ASSERT_GE(b.frameNumber, 0);
    ASSERT_LT(b.frameNumber, kDemoFrames);
    const int order = b.frameNumber * 13 + b.slot;
    EXPECT_GT(order, previous) << b.description;
    previous = order;
    rateCodes.insert(b.rateCode);
    const int slots = b.rateCode % 2 == 1 ? 2 : 1;  // odd codes: the 4.2 s interleaver
    EXPECT_LE(b.slot + slots, 13) << b.description;
    for (int s = b.slot; s < b.slot + slots; ++s) EXPECT_TRUE(taken.insert({b.frameNumber, s}).second);
    EXPECT_EQ(b.frame.size(), static_cast<std::size_t>(BurstFrameBytes(b.rateCode))) << b.description;
    EXPECT_EQ(b.frame.back(), 0) << b.description;  // the encoder ends in state 0
  }
  EXPECT_EQ(rateCodes.size(), 8u);
  EXPECT_GE(Demo().bursts.size(), 30u);
}

TEST_F(DemoTrafficTest, VhfMessagesAreCheckedBlocksInTimeOrder) {
  const auto& messages = Demo().vhfMessages;
  ASSERT_GE(messages.size(), 3u);
  ASSERT_LE(messages.size(), 5u);
  double previous = 0;
  for (const DemoVhfMessage& m : messages) {
    EXPECT_GT(m.startSeconds, previous);
    EXPECT_LT(m.startSeconds, kDemoFrames * 32.0 - 1);
    previous = m.startSeconds;
    EXPECT_TRUE(AcarsBlockValid(m.block)) << m.description;
  }
}

}  // namespace
}  // namespace talvir::testbench
