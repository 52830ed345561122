// The demo's traffic plan: what the demo recording test cannot tell from
// decoding it (that every rate code is shown, slots are not shared, messages
// come in time order). Its VHF blocks are proved valid by being decoded.

#include "testbench/frames/demo_traffic.h"

#include <gtest/gtest.h>

#include <set>

#include "testbench/frames/burst_padding.h"

namespace talvir::testbench {
namespace {

TEST(DemoTraffic, BurstsOfEveryRateTakeTheirSlotsWithoutOverlapAndMessagesComeInOrder) {
  const DemoTraffic demo = BuildDemoTraffic();
  std::set<std::pair<int, int>> taken;
  std::set<int> rateCodes;
  int previous = -1;
  for (const DemoBurst& b : demo.bursts) {
    ASSERT_GE(b.frameNumber, 0);
    ASSERT_LT(b.frameNumber, kDemoFrames);
    EXPECT_GT(b.frameNumber * 13 + b.slot, previous) << b.description;
    previous = b.frameNumber * 13 + b.slot;
    rateCodes.insert(b.rateCode);
    const int slots = b.rateCode % 2 == 1 ? 2 : 1;  // odd codes: the 4.2 s interleaver
    EXPECT_LE(b.slot + slots, 13) << b.description;
    for (int s = b.slot; s < b.slot + slots; ++s) EXPECT_TRUE(taken.insert({b.frameNumber, s}).second);
    EXPECT_EQ(b.frame.size(), static_cast<std::size_t>(BurstFrameBytes(b.rateCode))) << b.description;
    EXPECT_EQ(b.frame.back(), 0) << b.description;  // the encoder ends in state 0
  }
  EXPECT_EQ(rateCodes.size(), 8u);
  EXPECT_GE(demo.bursts.size(), 30u);

  ASSERT_GE(demo.vhfMessages.size(), 3u);
  ASSERT_LE(demo.vhfMessages.size(), 5u);
  double start = 0;
  for (const DemoVhfMessage& m : demo.vhfMessages) {
    EXPECT_GT(m.startSeconds, start);
    EXPECT_LT(m.startSeconds, kDemoFrames * 32.0 - 1);
    start = m.startSeconds;
  }
}

}  // namespace
}  // namespace talvir::testbench
