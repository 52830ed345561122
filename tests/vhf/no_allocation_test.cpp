// The demodulator runs on the audio worker for every block: it must not
// touch the heap there. Counts every allocation of this test program.

#include <gtest/gtest.h>

#include <vector>

#include "support/counting_new.h"
#include "vhf_signals.h"

namespace talvir {
namespace {

TEST(VhfNoAllocation, DemodulatingMessagesAndNoiseAllocatesNothing) {
  const std::vector<uint8_t> block = testing::SampleBlock();
  auto audio = testing::WithNoise(testing::Concatenate({testing::Transmit(block), testing::Transmit(block)}), 30.0);
  audio.resize(audio.size() + 5 * kBlockFrames + 123, 0.0f);

  struct CountingSink : VhfMessageSink {
    void PrintVhfAcars(std::span<const uint8_t>, const VhfBlockQuality&) override { ++messages; }
    int messages = 0;
  } counting;
  VhfDemodulator demodulator(counting);

  const long before = testing::allocations.load();
  // Chunks of 1000 go through the gathering of whole blocks as well.
  for (std::size_t at = 0; at < audio.size(); at += 1000)
    demodulator.ProcessBlock(std::span<const float>(audio).subspan(at, std::min<std::size_t>(1000, audio.size() - at)));
  EXPECT_EQ(testing::allocations.load() - before, 0);
  EXPECT_EQ(counting.messages, 2);
}

}  // namespace
}  // namespace talvir
