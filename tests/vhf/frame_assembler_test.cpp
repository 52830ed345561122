// The byte layer on its own: what the locked bit position hands over after
// "*", SYN, SYN.

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "common/crc16.h"
#include "vhf/vhf_frame_assembler.h"
#include "vhf_signals.h"

namespace talvir {
namespace {

using testing::DeliveredPart;
using testing::SampleBlock;

constexpr uint8_t kStar = 0x2A;

class FrameAssemblerTest : public ::testing::Test {
 protected:
  // Feeds the bytes after lock as the demodulator does; returns how many were
  // taken before the assembler ended the attempt (all of them if it never did).
  std::size_t Feed(const std::vector<uint8_t>& bytes) {
    assembler.StartAfterLock();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (!assembler.Accept(bytes[i])) return i + 1;
    }
    return bytes.size();
  }
  static std::vector<uint8_t> AfterSync(const std::vector<uint8_t>& block) {
    std::vector<uint8_t> bytes = {kStar, kAcarsSyn, kAcarsSyn};
    bytes.insert(bytes.end(), block.begin(), block.end());
    return bytes;
  }

  testing::RecordingVhfSink sink;
  VhfFrameAssembler assembler{sink};
};

// The BCS bytes are binary: their parity must not be checked.
TEST_F(FrameAssemblerTest, DeliversSohThroughEtxOnceAndEndsAfterTheBcsOfEitherParity) {
  int evenParityBcsSeen = 0;
  for (int n = 0; n < 40; ++n) {
    const std::vector<uint8_t> block = SampleBlock("MSG " + std::to_string(n));
    const uint8_t low = block[block.size() - 3];
    const uint8_t high = block[block.size() - 2];
    if (std::popcount(low) % 2 == 0 || std::popcount(high) % 2 == 0) ++evenParityBcsSeen;
    const std::vector<uint8_t> bytes = AfterSync(block);
    EXPECT_EQ(Feed(bytes), bytes.size() - 1) << "the DEL is not taken";
    ASSERT_EQ(sink.blocks.size(), n + 1U);
    EXPECT_EQ(sink.blocks.back(), DeliveredPart(block));
  }
  EXPECT_GT(evenParityBcsSeen, 0);
}

TEST_F(FrameAssemblerTest, ParityErrorEndsTheAttemptAtThatByte) {
  std::vector<uint8_t> block = SampleBlock();
  block[5] ^= 0x80;  // a registration character
  EXPECT_EQ(Feed(AfterSync(block)), 3u + 6u);
  std::vector<uint8_t> beforeSoh = AfterSync(SampleBlock());
  beforeSoh[1] = kAcarsSyn ^ 0x80;  // a SYN with even parity
  EXPECT_EQ(Feed(beforeSoh), 2u);
  EXPECT_TRUE(sink.blocks.empty());
}

// SOH, 297 characters, ETX is the longest block the 300-byte buffer takes.
std::vector<uint8_t> BlockOfLength(int length) {
  std::vector<uint8_t> block = {0x01};
  for (int i = 1; i < length - 1; ++i)
    block.push_back(testbench::WithOddParity(static_cast<uint8_t>('A' + i % 26)));
  block.push_back(0x83);
  const uint16_t bcs = AcarsBcs(std::span<const uint8_t>(block).subspan(1));
  block.push_back(static_cast<uint8_t>(bcs & 0xFF));
  block.push_back(static_cast<uint8_t>(bcs >> 8));
  return block;
}

TEST_F(FrameAssemblerTest, LongestBlockFitsAndOneMoreByteDoesNot) {
  const std::vector<uint8_t> longest = BlockOfLength(299);
  Feed(longest);
  ASSERT_EQ(sink.blocks.size(), 1u);
  EXPECT_EQ(sink.blocks[0].size(), 299u);

  const std::vector<uint8_t> tooLong = BlockOfLength(300);
  EXPECT_EQ(Feed(tooLong), 300u);  // ends on the ETX that would be byte 300
  EXPECT_EQ(sink.blocks.size(), 1u);
}

// The byte limit counts from the lock until the SOH, then from the SOH.
TEST_F(FrameAssemblerTest, GivesUpAfter300BytesWithoutSohButASohRestartsTheCount) {
  EXPECT_EQ(Feed(std::vector<uint8_t>(400, testbench::WithOddParity('U'))), 300u);
  std::vector<uint8_t> bytes(250, testbench::WithOddParity('U'));  // noise after lock
  const std::vector<uint8_t> block = SampleBlock(std::string(100, 'T'));
  bytes.insert(bytes.end(), block.begin(), block.end());
  Feed(bytes);
  ASSERT_EQ(sink.blocks.size(), 1u);
  EXPECT_EQ(sink.blocks[0], DeliveredPart(block));
}

}  // namespace
}  // namespace talvir
