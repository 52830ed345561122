// Audio as airband receivers and sound cards deliver it: resting off zero or
// drifting there, at any level from faint to clipped, in 16 or 8 bits; the
// level each message is reported at; and the mixer's block-wise sine and
// cosine against the library's, and the anti-alias filter's response,
// measured on complex tones through the decimator (I and Q planes), against
// the figures the design gives.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "testbench/hf_channel.h"
#include "vhf/dc_blocker.h"
#include "vhf/fast_trig.h"
#include "vhf/low_pass_decimator.h"
#include "vhf_signals.h"

namespace talvir {
namespace {

using testing::AsSoundCard;
using testing::DeliveredPart;
using testing::Demodulate;
using testing::SampleBlock;
using Block = std::vector<uint8_t>;

constexpr double kSnrDb = 30.0;

// The tone's peak at `peakDbfs`, noise and all.
std::vector<float> AtLevel(std::span<const float> audio, double peakDbfs) {
  std::vector<float> scaled(audio.begin(), audio.end());
  const double gain = std::pow(10.0, peakDbfs / 20.0) / static_cast<double>(testbench::MskOptions{}.amplitude);
  for (float& sample : scaled) sample = static_cast<float>(static_cast<double>(sample) * gain);
  return scaled;
}

// The blocker steps four samples at a time: it must give what the plain
// one-sample recursion gives, across block boundaries, and settle on a step
// of half of full scale to 1 % within 40 ms.
TEST(VhfReceiverAudio, DcBlockerFollowsTheOneSampleRecursionAndSettles) {
  std::vector<float> audio(3 * 1000);
  for (std::size_t n = 0; n < audio.size(); ++n)
    audio[n] = 0.5f + 0.3f * static_cast<float>(std::sin(0.157 * static_cast<double>(n)));
  DcBlocker blocker;
  std::vector<float> out(audio.size());
  for (std::size_t at = 0; at < audio.size(); at += 1000)
    blocker.Process(std::span<const float>(audio).subspan(at, 1000), std::span<float>(out).subspan(at, 1000));
  double level = 0.0;
  for (std::size_t n = 0; n < audio.size(); ++n) {
    level = static_cast<double>(kVhfDcBlockerPole) * level +
            (1.0 - static_cast<double>(kVhfDcBlockerPole)) * static_cast<double>(audio[n]);
    ASSERT_NEAR(out[n], static_cast<double>(audio[n]) - level, 1e-5) << "sample " << n;
  }
  for (std::size_t n = 1920; n < audio.size(); ++n) EXPECT_NEAR(out[n], audio[n] - 0.5f, 0.012) << "sample " << n;
}

// Mixed to baseband, a DC offset becomes a tone 1800 Hz off the band centre,
// far stronger than the signal: without the DC blocker none of the offset
// cases decode. Faint audio lives on few of the sound card's steps;
// overdriven audio is clipped towards a square wave, whose harmonics fall
// outside the band.
TEST(VhfReceiverAudio, DecodesOffZeroDriftingFaintOrClippedIn16Or8Bits) {
  const Block block = SampleBlock();
  const auto noisy = testing::WithNoise(testing::Transmit(block), kSnrDb);
  const struct {
    double peakDbfs;
    int bits;
    testbench::DcOffset offset;
  } cases[] = {{-8.0, 16, {.level = 0.5}},
               {-8.0, 16, {.level = -0.5}},
               {-8.0, 16, {.level = 0.2, .driftAmplitude = 0.4, .driftHz = 3.0}},
               {-40.0, 16, {}},
               {-20.0, 16, {}},
               {0.0, 16, {}},
               {12.0, 16, {}},
               {-20.0, 8, {}},
               {-6.0, 8, {}},
               {12.0, 8, {}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.peakDbfs << " dBFS in " << c.bits << " bits, offset " << c.offset.level
                                      << " wandering " << c.offset.driftAmplitude);
    std::vector<float> audio = AtLevel(noisy, c.peakDbfs);
    testbench::AddDcOffset(audio, c.offset);
    EXPECT_EQ(Demodulate(AsSoundCard(std::move(audio), c.bits)), std::vector<Block>{DeliveredPart(block)});
  }
}

std::vector<float> Silence(double seconds) {
  return std::vector<float>(static_cast<std::size_t>(seconds * kSampleRate));
}

// A tone of peak A has mean power A^2 / 2.
double FeederLevel(double amplitude) { return 10.0 * std::log10(4.0 * amplitude * amplitude / 2.0); }

// The level each block is handed over with is the transmission's own mean
// power on the scale ACARS feeders report, 10 log10(4 P). A loud message, a
// burst of noise far louder than either message and a quiet message, each
// after a gap: every block reads its own level. The tolerance covers the low-pass filter's ripple at the tones (0.6 dB
// at 1200 Hz from the mixer) and the pre-key and ramps around the block.
TEST(VhfMessageLevel, EachBlockReadsItsOwnPowerWhateverCameBefore) {
  constexpr double kLoud = 0.5;  // the modulator's default
  constexpr double kQuiet = 0.05;
  const auto loud = testing::Transmit(testing::SampleBlock("LOUD MESSAGE"), 0.0);
  const auto quiet =
      testbench::ModulateVhfAcars(testing::SampleBlock("QUIET MESSAGE"), {.amplitude = static_cast<float>(kQuiet)});
  const auto noise = testbench::ShapedNoise(kSampleRate / 2, 10.0 * kLoud * kLoud, {});

  const auto gap = Silence(0.2);
  const auto start = Silence(3.0);  // longer than the level history
  const auto audio = testing::Concatenate({start, loud, gap, noise, gap, quiet, gap});
  const testing::RecordingVhfSink sink = testing::DemodulateWithQuality(audio);
  ASSERT_EQ(sink.blocks.size(), 2u);
  EXPECT_NEAR(sink.qualities[0].levelDb, FeederLevel(kLoud), 0.7);
  EXPECT_NEAR(sink.qualities[1].levelDb, FeederLevel(kQuiet), 0.7);
  for (const VhfBlockQuality& quality : sink.qualities) EXPECT_EQ(quality.correctedBits, 0);
  // Silence reads a floor, not minus infinity, which no JSON holds.
  EXPECT_TRUE(std::isfinite(VhfLevelMeter::LevelDb(0.0)));
  EXPECT_LT(VhfLevelMeter::LevelDb(0.0), -100.0);
}

TEST(FastTrig, SineAndCosineOverTheMixerPhaseRange) {
  float worst = 0.0f;
  for (int i = 0; i <= 100000; ++i) {
    const float phase = 6.2831855f * static_cast<float>(i) / 100000.0f;
    float c, s;
    FastSinCos(phase, c, s);
    worst = std::max({worst, std::fabs(c - std::cos(phase)), std::fabs(s - std::sin(phase))});
  }
  EXPECT_LT(worst, 1e-6f);
}

constexpr int kOutputs = 400;
constexpr int kPlane = kOutputs + 31;

// Gain in dB for a complex tone of `hz` at 48000 samples/s, from the
// magnitude of every output (constant once the filter is full).
double GainDb(double hz) {
  std::vector<float> evenI(kPlane), oddI(kPlane), evenQ(kPlane), oddQ(kPlane);
  for (int n = 0; n < 2 * kPlane; ++n) {
    const double phase = 2.0 * std::numbers::pi * hz * n / kSampleRate;
    (n % 2 == 0 ? evenI : oddI)[static_cast<std::size_t>(n / 2)] = static_cast<float>(std::cos(phase));
    (n % 2 == 0 ? evenQ : oddQ)[static_cast<std::size_t>(n / 2)] = static_cast<float>(std::sin(phase));
  }
  std::vector<float> outI(kOutputs), outQ(kOutputs);
  LowPassDecimate(evenI, oddI, outI);
  LowPassDecimate(evenQ, oddQ, outQ);
  double lowest = 1e9, highest = 0.0;
  for (int i = 0; i < kOutputs; ++i) {
    const double magnitude =
        std::abs(std::complex<double>(outI[static_cast<std::size_t>(i)], outQ[static_cast<std::size_t>(i)]));
    lowest = std::min(lowest, magnitude);
    highest = std::max(highest, magnitude);
  }
  EXPECT_LT(highest - lowest, 1e-4 + 1e-3 * highest) << "output not steady for " << hz << " Hz";
  return 20.0 * std::log10(highest);
}

TEST(LowPassDecimator, PassesBothTonesAndRejectsWhatWouldAlias) {
  for (const double hz : {0.0, 300.0, 600.0, -600.0}) EXPECT_NEAR(GainDb(hz), 0.0, 0.025) << hz << " Hz";
  EXPECT_NEAR(GainDb(1200.0), -0.61, 0.05);
  EXPECT_NEAR(GainDb(-1200.0), -0.61, 0.05);
  EXPECT_NEAR(GainDb(2400.0), -12.6, 0.1);
  for (const double hz : {3000.0, -3000.0, 4000.0, 6000.0, 12000.0, 20000.0})
    EXPECT_LT(GainDb(hz), -30.0) << hz << " Hz";
}

// The output at i uses m[2i] .. m[2i + 63] and nothing else.
TEST(LowPassDecimator, EachOutputSeesExactlyItsSixtyFourInputs) {
  std::vector<float> even(kPlane, 0.0f), odd(kPlane, 0.0f), out(kOutputs);
  even[100] = 1.0f;  // m[200]
  LowPassDecimate(even, odd, out);
  for (int i = 0; i < kOutputs; ++i) {
    const bool inWindow = 2 * i <= 200 && 200 < 2 * i + 64;
    EXPECT_EQ(out[static_cast<std::size_t>(i)] != 0.0f, inWindow) << "output " << i;
  }
  EXPECT_FLOAT_EQ(out[100], 0.000747f);  // tap 0
  EXPECT_FLOAT_EQ(out[69], 0.000851f);   // tap 62, equal to tap 1
  std::fill(even.begin(), even.end(), 0.0f);
  odd[100] = 1.0f;  // m[201]
  LowPassDecimate(even, odd, out);
  EXPECT_FLOAT_EQ(out[100], 0.000851f);  // tap 1
  EXPECT_FLOAT_EQ(out[69], 0.000747f);   // tap 63, equal to tap 0
}

}  // namespace
}  // namespace talvir
