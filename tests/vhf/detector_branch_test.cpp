// The lock rule of one detector branch, on baseband samples made so that only
// chosen sample positions within each bit carry the transmission.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <set>
#include <vector>

#include "testbench/msk_modulator.h"
#include "vhf/vhf_detector_branch.h"
#include "vhf/vhf_duplicate_filter.h"
#include "vhf_signals.h"

namespace talvir {
namespace {

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

}  // namespace
}  // namespace talvir
