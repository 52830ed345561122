// The lock rule of one detector branch, on baseband samples made so that only
// chosen sample positions within each bit carry the transmission; and the
// byte layer on its own: what the locked bit position hands over after "*",
// SYN, SYN.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <numbers>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/crc16.h"
#include "testbench/msk_modulator.h"
#include "vhf/vhf_detector_branch.h"
#include "vhf/vhf_duplicate_filter.h"
#include "vhf/vhf_frame_assembler.h"
#include "vhf_signals.h"

namespace talvir {
namespace {

using testing::DeliveredPart;
using testing::SampleBlock;

using Block = std::vector<uint8_t>;

// The bits of a transmission after a short pre-key, least significant first.
std::vector<int> TransmittedBits(const Block& block) {
  std::vector<int> bits(40, 1);
  for (uint8_t byte : testbench::AcarsTransmissionBytes(block))
    for (int i = 0; i < 8; ++i) bits.push_back((byte >> i) & 1);
  bits.resize(bits.size() + 64, 1);
  return bits;
}

// Per bit: the samples at the offsets in `carrying` (0 .. 9 within the bit)
// see the phase turn back by a quarter turn where the data bit changes and
// forward where it does not; every other sample has a random phase. The
// first bit starts `lead` samples in, which moves the bits against the
// branch's count of sample positions.
std::vector<float> Baseband(const std::vector<int>& bits, const std::set<int>& carrying, uint32_t seed, int lead = 0) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> anyPhase(0.0, 2.0 * std::numbers::pi);
  std::vector<float> iq;
  for (int i = 0; i < lead; ++i) {
    const double p = anyPhase(random);
    iq.push_back(static_cast<float>(std::cos(p)));
    iq.push_back(static_cast<float>(std::sin(p)));
  }
  double phase = 0.0;
  int previous = 1;
  for (const int bit : bits) {
    phase += (bit != previous ? -1.0 : 1.0) * std::numbers::pi / 2;
    previous = bit;
    for (int position = 0; position < kVhfSamplesPerBit; ++position) {
      const double p = carrying.count(position) != 0 ? phase : anyPhase(random);
      iq.push_back(static_cast<float>(std::cos(p)));
      iq.push_back(static_cast<float>(std::sin(p)));
    }
  }
  return iq;
}

// The samples stand for the matched filter's output. Both readers' copies of
// a block are handed over once, as the demodulator does.
std::vector<Block> Detect(const std::vector<float>& iq) {
  testing::RecordingVhfSink sink;
  VhfDuplicateFilter once(sink);
  VhfDetectorBranch branch(once, 0.0f, true);
  for (std::size_t k = 0; k + 1 < iq.size(); k += 2) {
    once.Tick();
    branch.Step({iq[k], iq[k + 1]});
  }
  return sink.blocks;
}

// The transmission at the offsets of `syncAt` up to the end of the sync,
// which is the block's SOH, and from there on only at those of `blockAt`.
std::vector<float> SyncThenBlock(const Block& block, const std::set<int>& syncAt, const std::set<int>& blockAt) {
  const std::vector<int> bits = TransmittedBits(block);
  std::vector<float> iq = Baseband(bits, syncAt, 1);
  const std::vector<float> later = Baseband(bits, blockAt, 2);
  // Everything after 40 pre-key bits and "+", "*", SYN, SYN, SOH.
  const auto afterSync = static_cast<std::ptrdiff_t>(2 * kVhfSamplesPerBit * (40 + 5 * 8));
  std::copy(later.begin() + afterSync, later.end(), iq.begin() + afterSync);
  return iq;
}

TEST(VhfDetectorBranch, LocksOnlyWhenFiveAdjacentPositionsSeeTheSyncAndReadsTheirMiddle) {
  const Block block = testing::SampleBlock();
  const Block delivered = testing::DeliveredPart(block);
  EXPECT_TRUE(Detect(Baseband(TransmittedBits(block), {3, 4, 5, 6}, 1)).empty());
  EXPECT_EQ(Detect(Baseband(TransmittedBits(block), {3, 4, 5, 6, 7}, 1)), std::vector<Block>{delivered});
  for (int lead = 1; lead < kVhfSamplesPerBit; ++lead) {
    EXPECT_EQ(Detect(Baseband(TransmittedBits(block), {3, 4, 5, 6, 7}, 1, lead)), std::vector<Block>{delivered})
        << "bits starting " << lead << " samples in";
  }
  // The lock reads the middle of the positions that saw the sync: the block
  // arrives when only that position carries it, and not from an edge.
  EXPECT_EQ(Detect(SyncThenBlock(block, {2, 3, 4, 5, 6}, {4})), std::vector<Block>{delivered});
  EXPECT_EQ(Detect(SyncThenBlock(block, {1, 2, 3, 4, 5, 6, 7}, {4})), std::vector<Block>{delivered});
  EXPECT_EQ(Detect(SyncThenBlock(block, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {4, 5})), std::vector<Block>{delivered})
      << "all ten positions";
  EXPECT_TRUE(Detect(SyncThenBlock(block, {2, 3, 4, 5, 6}, {6})).empty()) << "the block only at the edge";
}

constexpr uint8_t kStar = 0x2A;

class FrameAssemblerTest : public ::testing::Test {
 protected:
  // Feeds the bytes after lock as the demodulator does, with every bit sure
  // but those in `unsure` (byte index, bit); returns how many bytes were
  // taken before the assembler ended the attempt (all of them if it never
  // did).
  static std::size_t Feed(VhfFrameAssembler& to, const std::vector<uint8_t>& bytes,
                          const std::set<std::pair<std::size_t, int>>& unsure = {}) {
    to.StartAfterLock();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      VhfBitMargins margins;
      for (int bit = 0; bit < 8; ++bit) margins[static_cast<std::size_t>(bit)] = unsure.count({i, bit}) ? 0.1f : 1.0f;
      if (!to.Accept(bytes[i], margins)) return i + 1;
    }
    return bytes.size();
  }
  std::size_t Feed(const std::vector<uint8_t>& bytes) { return Feed(assembler, bytes); }
  static std::vector<uint8_t> AfterSync(const std::vector<uint8_t>& block) {
    std::vector<uint8_t> bytes = {kStar, kAcarsSyn, kAcarsSyn};
    bytes.insert(bytes.end(), block.begin(), block.end());
    return bytes;
  }

  testing::RecordingVhfSink sink;
  VhfFrameAssembler assembler{sink, false};
  VhfFrameAssembler correcting{sink, true};
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
  for (int i = 1; i < length - 1; ++i) block.push_back(testbench::WithOddParity(static_cast<uint8_t>('A' + i % 26)));
  block.push_back(0x83);
  const uint16_t bcs = AcarsBcs(std::span<const uint8_t>(block).subspan(1));
  block.push_back(static_cast<uint8_t>(bcs & 0xFF));
  block.push_back(static_cast<uint8_t>(bcs >> 8));
  return block;
}

TEST_F(FrameAssemblerTest, LongestBlockFitsAndOneMoreByteOr300WithoutSohDoNot) {
  Feed(BlockOfLength(299));
  ASSERT_EQ(sink.blocks.size(), 1u);
  EXPECT_EQ(sink.blocks[0].size(), 299u);

  EXPECT_EQ(Feed(BlockOfLength(300)), 300u);  // ends on the ETX that would be byte 300
  EXPECT_EQ(sink.blocks.size(), 1u);

  // The byte limit counts from the lock until the SOH, then from the SOH.
  EXPECT_EQ(Feed(std::vector<uint8_t>(400, testbench::WithOddParity('U'))), 300u);
  std::vector<uint8_t> bytes(250, testbench::WithOddParity('U'));  // noise after lock
  const std::vector<uint8_t> block = SampleBlock(std::string(100, 'T'));
  bytes.insert(bytes.end(), block.begin(), block.end());
  Feed(bytes);
  ASSERT_EQ(sink.blocks.size(), 2u);
  EXPECT_EQ(sink.blocks[1], DeliveredPart(block));
}

// Bytes after the sync: 3 ("*", SYN, SYN), then the block from its SOH.
constexpr std::size_t kSohAt = 3;

// Characters whose parity failed are mended where one of their two least
// sure bits gives a matching BCS; a misread BCS bit likewise. The block says
// how many bits were mended.
TEST_F(FrameAssemblerTest, CorrectingMendsUpToTwoCharactersOrOneBcsBitAmongTheLeastSureBits) {
  const std::vector<uint8_t> block = SampleBlock("POSITION REPORT");
  const std::vector<uint8_t> sent = AfterSync(block);
  const std::size_t text = kSohAt + 16;  // a character of the message text
  const std::size_t bcsLow = sent.size() - 3;
  const struct {
    const char* what;
    std::vector<std::pair<std::size_t, int>> errors;
    std::set<std::pair<std::size_t, int>> unsure;
    int mendedBits;  // -1: not handed over
  } cases[] = {
      {"no error", {}, {{text, 3}}, 0},
      {"one character, its weakest bit", {{text, 3}}, {{text, 3}}, 1},
      {"one character, its second weakest bit", {{text, 6}}, {{text, 2}, {text, 6}}, 1},
      {"one character, a sure bit", {{text, 5}}, {{text, 2}, {text, 6}}, -1},
      {"two characters", {{text, 1}, {kSohAt + 4, 7}}, {{text, 1}, {kSohAt + 4, 7}}, 2},
      {"the parity bit of the ETX", {{bcsLow - 1, 7}}, {{bcsLow - 1, 7}}, 1},
      {"one BCS bit, weakest", {{bcsLow + 1, 4}}, {{bcsLow + 1, 4}}, 1},
      {"one BCS bit, sure", {{bcsLow, 4}}, {{bcsLow + 1, 2}}, -1},
      {"two bits of one character: parity holds", {{text, 1}, {text, 2}}, {{text, 1}, {text, 2}}, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> received = sent;
    for (const auto& [at, bit] : c.errors) received[at] ^= static_cast<uint8_t>(1u << bit);
    sink.blocks.clear();
    sink.qualities.clear();
    EXPECT_EQ(Feed(correcting, received, c.unsure), received.size() - 1) << "ends after the BCS";
    if (c.mendedBits < 0) {
      EXPECT_TRUE(sink.blocks.empty());
      continue;
    }
    EXPECT_EQ(sink.blocks, std::vector<std::vector<uint8_t>>{DeliveredPart(block)});
    ASSERT_EQ(sink.qualities.size(), 1u);
    EXPECT_EQ(sink.qualities[0].correctedBits, c.mendedBits);
    sink.blocks.clear();
    Feed(received);
    EXPECT_EQ(sink.blocks.size(), c.mendedBits == 0 ? 1u : 0u) << "the strict assembler mends nothing";
  }
  // A third bad character ends the attempt there.
  std::vector<uint8_t> three = sent;
  for (const std::size_t at : {kSohAt + 2, kSohAt + 5, kSohAt + 9}) three[at] ^= 0x01;
  EXPECT_EQ(Feed(correcting, three), kSohAt + 10);
}

// An ETX whose parity failed may be mended only into an ETX: a try that
// makes it another character must not pass, even where the BCS holds for it.
TEST_F(FrameAssemblerTest, CorrectingNeverTurnsTheEtxIntoAnotherCharacter) {
  std::vector<uint8_t> block = SampleBlock("MSG");
  const std::size_t etx = block.size() - 4;
  block[etx] = 0x02;  // the BCS is made for an STX there
  const uint16_t bcs = AcarsBcs(std::span<const uint8_t>(block).subspan(1, etx));
  block[etx + 1] = static_cast<uint8_t>(bcs);
  block[etx + 2] = static_cast<uint8_t>(bcs >> 8);
  block[etx] = kAcarsEtx;  // even parity: bit 0 flipped back gives the STX
  Feed(correcting, AfterSync(block), {{kSohAt + etx, 0}, {kSohAt + etx, 7}});
  EXPECT_TRUE(sink.blocks.empty());
}

// Mending must never hand over a block that was not sent: blocks with one to
// four bits flipped anywhere, the least sure bits chosen at random, give the
// sent block or nothing.
TEST_F(FrameAssemblerTest, CorrectingNeverHandsOverABlockThatWasNotSent) {
  std::mt19937 random(5);
  int mended = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    const std::vector<uint8_t> block = SampleBlock("MSG " + std::to_string(trial));
    std::vector<uint8_t> received = AfterSync(block);
    const std::size_t blockBytes = received.size() - 1 - kSohAt;  // up to the BCS, DEL left out
    std::uniform_int_distribution<std::size_t> anyByte(kSohAt + 1, kSohAt + blockBytes - 1);
    std::uniform_int_distribution<int> anyBit(0, 7);
    std::set<std::pair<std::size_t, int>> unsure;
    const int errors = 1 + trial % 4;
    for (int e = 0; e < errors; ++e) {
      const std::size_t at = anyByte(random);
      const int bit = anyBit(random);
      received[at] ^= static_cast<uint8_t>(1u << bit);
      if (random() % 2 == 0) unsure.insert({at, bit});
      unsure.insert({anyByte(random), anyBit(random)});
    }
    sink.blocks.clear();
    Feed(correcting, received, unsure);
    ASSERT_LE(sink.blocks.size(), 1u);
    if (sink.blocks.empty()) continue;
    ASSERT_EQ(sink.blocks[0], DeliveredPart(block)) << "trial " << trial;
    ++mended;
  }
  EXPECT_GT(mended, 300);
}

}  // namespace
}  // namespace talvir
