// Test bench transmissions through a 30 dB channel into the demodulator.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "common/crc16.h"
#include "vhf_signals.h"

namespace talvir {
namespace {

using testing::Concatenate;
using testing::DeliveredPart;
using testing::Demodulate;
using testing::SampleMessage;
using testing::Transmit;
using testing::WithNoise;

constexpr double kCleanSnrDb = 30.0;

TEST(VhfRoundTrip, DeliversMessagesOfEveryLengthOnceAndExactly) {
  for (const std::string& text :
       {std::string(), std::string("A"), std::string("POS N51234W001234,220"), std::string(220, 'X')}) {
    const std::vector<uint8_t> block = testbench::BuildVhfAcarsBlock(SampleMessage(text));
    const auto delivered = Demodulate(WithNoise(Transmit(block), kCleanSnrDb));
    ASSERT_EQ(delivered.size(), 1u) << "text of " << text.size() << " characters";
    EXPECT_EQ(delivered[0], DeliveredPart(block)) << "text of " << text.size() << " characters";
  }
}

TEST(VhfRoundTrip, BlockEndingInEtbIsAcceptedLikeEtx) {
  testbench::AcarsMessage m = SampleMessage("FIRST BLOCK OF TWO");
  m.lastBlock = false;
  const std::vector<uint8_t> block = testbench::BuildVhfAcarsBlock(m);
  const auto delivered = Demodulate(WithNoise(Transmit(block), kCleanSnrDb));
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0].back(), 0x97);  // ETB with its parity bit
  EXPECT_EQ(delivered[0], DeliveredPart(block));
}

// Each bit position's detector sees a transmission inverted or not depending
// on the phase steps out of the silence before it; on these signals every
// lock takes both kinds of match (without either, no message decodes). The
// carrier phase moves where the two kinds fall.
TEST(VhfRoundTrip, DecodesWhateverPolarityTheSyncArrivesIn) {
  const std::vector<uint8_t> block = testbench::BuildVhfAcarsBlock(SampleMessage());
  for (int step = 0; step < 12; ++step) {
    const double phase = 2.0 * std::numbers::pi * step / 12;
    const auto delivered = Demodulate(WithNoise(Transmit(block, 0.05, phase), kCleanSnrDb, step + 1));
    ASSERT_EQ(delivered.size(), 1u) << "carrier phase " << phase;
    EXPECT_EQ(delivered[0], DeliveredPart(block)) << "carrier phase " << phase;
  }
}

TEST(VhfRoundTrip, BackToBackMessagesAreEachDeliveredOnce) {
  const std::vector<uint8_t> first = testbench::BuildVhfAcarsBlock(SampleMessage("FIRST"));
  const std::vector<uint8_t> second = testbench::BuildVhfAcarsBlock(SampleMessage("SECOND"));
  const auto audio = Concatenate({Transmit(first), Transmit(second, 0.0)});
  const auto delivered = Demodulate(WithNoise(audio, kCleanSnrDb));
  ASSERT_EQ(delivered.size(), 2u);
  EXPECT_EQ(delivered[0], DeliveredPart(first));
  EXPECT_EQ(delivered[1], DeliveredPart(second));
}

// A failed block must leave the demodulator searching, so that the next
// transmission is found.
TEST(VhfRoundTrip, DropsWrongBcsAndFindsTheNextMessage) {
  std::vector<uint8_t> corrupted = testbench::BuildVhfAcarsBlock(SampleMessage("BAD"));
  corrupted[corrupted.size() - 2] ^= 0x01;  // BCS high byte
  const std::vector<uint8_t> good = testbench::BuildVhfAcarsBlock(SampleMessage("GOOD"));
  const auto delivered =
      Demodulate(WithNoise(Concatenate({Transmit(corrupted), Transmit(good)}), kCleanSnrDb));
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0], DeliveredPart(good));
}

TEST(VhfRoundTrip, DropsParityErrorEvenWithMatchingBcsAndSearchesAgain) {
  std::vector<uint8_t> block = testbench::BuildVhfAcarsBlock(SampleMessage("PARITY"));
  // Break the parity of one text character, then give the block a BCS that
  // matches, so that only the parity check can refuse it.
  const std::size_t etx = block.size() - 4;
  block[etx - 2] ^= 0x80;
  const uint16_t bcs = AcarsBcs(std::span<const uint8_t>(block).subspan(1, etx));
  block[etx + 1] = static_cast<uint8_t>(bcs & 0xFF);
  block[etx + 2] = static_cast<uint8_t>(bcs >> 8);
  const std::vector<uint8_t> good = testbench::BuildVhfAcarsBlock(SampleMessage("GOOD"));
  const auto delivered = Demodulate(WithNoise(Concatenate({Transmit(block), Transmit(good)}), kCleanSnrDb));
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0], DeliveredPart(good));
}

TEST(VhfRoundTrip, NoiseAloneDeliversNothingAndLeavesTheDemodulatorSearching) {
  const std::vector<float> silence(static_cast<std::size_t>(20 * kSampleRate), 0.0f);
  const std::vector<uint8_t> block = testbench::BuildVhfAcarsBlock(SampleMessage());
  const auto noiseThenMessage = WithNoise(Concatenate({silence, Transmit(block, 0.0)}), kCleanSnrDb);
  const auto delivered = Demodulate(noiseThenMessage);
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0], DeliveredPart(block));
}

// A driver glitch must not poison the filter or phase state for good.
TEST(VhfRoundTrip, RecoversFromNotANumberAndInfiniteSamples) {
  std::vector<float> glitch(kBlockFrames, std::numeric_limits<float>::quiet_NaN());
  std::fill(glitch.begin(), glitch.begin() + 100, std::numeric_limits<float>::infinity());
  const std::vector<uint8_t> block = testbench::BuildVhfAcarsBlock(SampleMessage());
  const auto delivered = Demodulate(Concatenate({glitch, WithNoise(Transmit(block), kCleanSnrDb)}));
  ASSERT_EQ(delivered.size(), 1u);
  EXPECT_EQ(delivered[0], DeliveredPart(block));
}

TEST(VhfRoundTrip, AnyChunkingOfTheInputGivesTheSameMessages) {
  const std::vector<uint8_t> first = testbench::BuildVhfAcarsBlock(SampleMessage("ONE"));
  const std::vector<uint8_t> second = testbench::BuildVhfAcarsBlock(SampleMessage("TWO"));
  auto audio = WithNoise(Concatenate({Transmit(first), Transmit(second)}), kCleanSnrDb);
  audio.resize(audio.size() + VhfDemodulator::kFlushBlocks * kBlockFrames, 0.0f);
  for (const std::size_t chunk : {std::size_t{1}, std::size_t{997}, std::size_t{2500}, std::size_t{7001}}) {
    testing::RecordingVhfSink sink;
    VhfDemodulator demodulator(sink);
    for (std::size_t at = 0; at < audio.size(); at += chunk)
      demodulator.ProcessBlock(std::span<const float>(audio).subspan(at, std::min(chunk, audio.size() - at)));
    ASSERT_EQ(sink.blocks.size(), 2u) << "chunks of " << chunk;
    EXPECT_EQ(sink.blocks[1], DeliveredPart(second)) << "chunks of " << chunk;
  }
}

// Channels A and B each have their own demodulator: nothing may leak between.
TEST(VhfRoundTrip, TwoDemodulatorsFedInTurnStayIndependent) {
  const std::vector<uint8_t> onA = testbench::BuildVhfAcarsBlock(SampleMessage("CHANNEL A"));
  const std::vector<uint8_t> onB = testbench::BuildVhfAcarsBlock(SampleMessage("CHANNEL B"));
  auto audioA = WithNoise(Transmit(onA, 0.05), kCleanSnrDb, 1);
  auto audioB = WithNoise(Transmit(onB, 0.11), kCleanSnrDb, 2);
  const std::size_t length = std::max(audioA.size(), audioB.size()) + 4 * kBlockFrames;
  audioA.resize(length, 0.0f);
  audioB.resize(length, 0.0f);
  testing::RecordingVhfSink sinkA, sinkB;
  VhfDemodulator demodulatorA(sinkA), demodulatorB(sinkB);
  for (std::size_t at = 0; at + kBlockFrames <= length; at += kBlockFrames) {
    demodulatorA.ProcessBlock(std::span<const float>(audioA).subspan(at, kBlockFrames));
    demodulatorB.ProcessBlock(std::span<const float>(audioB).subspan(at, kBlockFrames));
  }
  ASSERT_EQ(sinkA.blocks.size(), 1u);
  ASSERT_EQ(sinkB.blocks.size(), 1u);
  EXPECT_EQ(sinkA.blocks[0], DeliveredPart(onA));
  EXPECT_EQ(sinkB.blocks[0], DeliveredPart(onB));
}

}  // namespace
}  // namespace talvir
