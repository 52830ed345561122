// Test bench transmissions through a 30 dB channel into the demodulator, which
// runs on the audio worker for every block and must not touch the heap there
// (this program counts every allocation).

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

#include "common/crc16.h"
#include "support/counting_new.h"
#include "vhf_signals.h"

namespace talvir {
namespace {

using testing::Concatenate;
using testing::Demodulate;
using testing::SampleBlock;
using testing::Transmit;
using Block = std::vector<uint8_t>;

constexpr double kCleanSnrDb = 30.0;

std::vector<float> Clean(std::span<const float> audio, uint64_t seed = 1) {
  return testing::WithNoise(audio, kCleanSnrDb, seed);
}

// Exactly these built blocks were handed over, each once, in order.
void ExpectDelivered(const std::vector<Block>& delivered, std::initializer_list<Block> built) {
  std::vector<Block> expected;
  for (const Block& block : built) expected.push_back(testing::DeliveredPart(block));
  EXPECT_EQ(delivered, expected);
}

TEST(VhfRoundTrip, DeliversMessagesOfEveryLengthAndEndingOnceAndExactly) {
  testbench::AcarsMessage firstOfTwo = testing::SampleMessage("FIRST BLOCK OF TWO");
  firstOfTwo.lastBlock = false;
  const Block endsInEtb = testbench::BuildVhfAcarsBlock(firstOfTwo);
  ASSERT_EQ(endsInEtb[endsInEtb.size() - 4], 0x97);  // ETB with its parity bit
  for (const Block& block :
       {SampleBlock(""), SampleBlock("A"), SampleBlock(), SampleBlock(std::string(220, 'X')), endsInEtb}) {
    SCOPED_TRACE(::testing::Message() << "block of " << block.size() << " bytes");
    ExpectDelivered(Demodulate(Clean(Transmit(block))), {block});
  }
}

// Each bit position's detector sees a transmission inverted or not depending
// on the phase steps out of the silence before it, so locks are made of both
// kinds of match; the carrier phase moves where they fall. Without the
// inverted kind 5 of these 12 messages are lost.
TEST(VhfRoundTrip, DecodesWhateverPolarityTheSyncArrivesIn) {
  const Block block = SampleBlock();
  for (int step = 0; step < 12; ++step) {
    SCOPED_TRACE(::testing::Message() << "carrier phase step " << step);
    const double phase = 2.0 * std::numbers::pi * step / 12;
    ExpectDelivered(Demodulate(Clean(Transmit(block, 0.05, phase), step + 1)), {block});
  }
}

// The chunking also covers back-to-back messages, each delivered once, and a
// block sent twice in a row, which is two messages.
TEST(VhfRoundTrip, BackToBackMessagesArriveOnceWhateverTheChunking) {
  const Block first = SampleBlock("FIRST");
  const Block second = SampleBlock("SECOND");
  const auto audio = Clean(Concatenate({Transmit(first), Transmit(second, 0.0), Transmit(second, 0.0)}));
  for (const std::size_t chunk : {std::size_t{0}, std::size_t{1}, std::size_t{997}, std::size_t{2500}}) {
    SCOPED_TRACE(::testing::Message() << "chunks of " << chunk);
    ExpectDelivered(Demodulate(audio, chunk), {first, second, second});
  }
}

// A failed block, a long stretch of noise or a driver glitch must leave the
// demodulator searching, so that the next transmission is found.
TEST(VhfRoundTrip, DropsBadBlocksAndNoiseAndFindsTheNextMessage) {
  Block wrongBcs = SampleBlock("BAD");
  wrongBcs[wrongBcs.size() - 2] ^= 0x01;  // BCS high byte
  // A text character with broken parity under a BCS that matches, so that
  // only the parity check can refuse it.
  Block badParity = SampleBlock("PARITY");
  const std::size_t etx = badParity.size() - 4;
  badParity[etx - 2] ^= 0x80;
  const uint16_t bcs = AcarsBcs(std::span<const uint8_t>(badParity).subspan(1, etx));
  badParity[etx + 1] = static_cast<uint8_t>(bcs & 0xFF);
  badParity[etx + 2] = static_cast<uint8_t>(bcs >> 8);
  std::vector<float> glitch(kBlockFrames, std::numeric_limits<float>::quiet_NaN());
  std::fill(glitch.begin(), glitch.begin() + 100, std::numeric_limits<float>::infinity());

  const Block good = SampleBlock("GOOD");
  const struct {
    const char* what;
    std::vector<float> before;
  } cases[] = {{"wrong BCS", Clean(Transmit(wrongBcs))},
               {"parity error", Clean(Transmit(badParity))},
               {"20 s of noise", Clean(std::vector<float>(20 * kSampleRate, 0.0f))},
               {"NaN and infinite samples", glitch}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectDelivered(Demodulate(Concatenate({c.before, Clean(Transmit(good), 2)})), {good});
  }
}

// Near the threshold only the coherent reading brings most messages in: the
// phase turn alone delivers at most 2 of these 10 at 7.5 dB. The carrier
// reference must also follow tones a few hertz off, as a transmitter's audio
// may be.
TEST(VhfRoundTrip, WeakMessagesArriveThroughTheCoherentReadingEvenWithTonesOff) {
  std::vector<Block> sent;
  std::vector<float> clean;
  for (int n = 0; n < 10; ++n) {
    sent.push_back(SampleBlock("WEAK MESSAGE " + std::to_string(n) + std::string(60, 'W')));
    const auto audio = Transmit(sent.back(), 0.1, 0.6 * n);
    clean.insert(clean.end(), audio.begin(), audio.end());
  }
  for (const double offsetHz : {0.0, 3.0, -3.0}) {
    SCOPED_TRACE(::testing::Message() << "tones " << offsetHz << " Hz off");
    testbench::ChannelOptions channel;
    channel.snrDb = 7.5;
    channel.signalPower = 0.5 * 0.5 / 2;
    channel.carrierOffsetHz = offsetHz;
    const auto delivered = Demodulate(testbench::ApplyChannel(clean, channel));
    int arrived = 0;
    for (const Block& block : sent) arrived += std::ranges::count(delivered, testing::DeliveredPart(block));
    EXPECT_GE(arrived, 8);
    EXPECT_EQ(arrived, static_cast<int>(delivered.size())) << "a block that was never sent";
  }
}

// Channels A and B each have their own demodulator: nothing may leak between.
TEST(VhfRoundTrip, TwoDemodulatorsFedInTurnStayIndependent) {
  const Block onA = SampleBlock("CHANNEL A");
  const Block onB = SampleBlock("CHANNEL B");
  auto audioA = Clean(Transmit(onA, 0.05), 1);
  auto audioB = Clean(Transmit(onB, 0.11), 2);
  const std::size_t length = std::max(audioA.size(), audioB.size()) + 4 * kBlockFrames;
  audioA.resize(length, 0.0f);
  audioB.resize(length, 0.0f);
  testing::RecordingVhfSink sinkA, sinkB;
  VhfDemodulator demodulatorA(sinkA), demodulatorB(sinkB);
  for (std::size_t at = 0; at + kBlockFrames <= length; at += kBlockFrames) {
    demodulatorA.ProcessBlock(std::span<const float>(audioA).subspan(at, kBlockFrames));
    demodulatorB.ProcessBlock(std::span<const float>(audioB).subspan(at, kBlockFrames));
  }
  ExpectDelivered(sinkA.blocks, {onA});
  ExpectDelivered(sinkB.blocks, {onB});
}

// An airband receiver's audio that falls off above `cornerHz`, `poles` times
// over, at unchanged level midway between the tones: the 2400 Hz tone arrives
// weaker and later than the 1200 Hz tone.
std::vector<float> ThroughRollingOffReceiver(std::span<const float> audio, double cornerHz, int poles) {
  const double alpha = 1.0 - std::exp(-2.0 * std::numbers::pi * cornerHz / kSampleRate);
  const double ratio = 1800.0 / cornerHz;
  const double midbandLoss = std::pow(1.0 + ratio * ratio, 0.5 * poles);
  std::vector<float> out(audio.begin(), audio.end());
  for (int pole = 0; pole < poles; ++pole) {
    double y = 0.0;
    for (float& sample : out) {
      y += alpha * (static_cast<double>(sample) - y);
      sample = static_cast<float>(y);
    }
  }
  for (float& sample : out) sample = static_cast<float>(static_cast<double>(sample) * midbandLoss);
  return out;
}

// Three poles at 800 Hz put the tones 15 dB apart, beyond what the flat
// detectors take; the lifted branch must bring the message in, and only once.
TEST(VhfRoundTrip, DecodesReceiversWhoseAudioFallsOffSteeplyTowardsTheUpperTone) {
  const Block block = SampleBlock();
  for (uint64_t seed = 1; seed <= 5; ++seed) {
    SCOPED_TRACE(::testing::Message() << "noise seed " << seed);
    ExpectDelivered(Demodulate(Clean(ThroughRollingOffReceiver(Transmit(block), 800.0, 3), seed)), {block});
  }
}

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
