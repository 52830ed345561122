// The level each block is handed over with: the transmission's own mean
// power on the scale ACARS feeders report, 10 log10(4 P), whatever the
// channel carried before it.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "testbench/hf_channel.h"
#include "vhf_signals.h"

namespace talvir {
namespace {

constexpr double kSecondsOfSilence = 3.0;  // longer than the level history

std::vector<float> Silence(double seconds) { return std::vector<float>(static_cast<std::size_t>(seconds * kSampleRate)); }

// A tone of peak A has mean power A^2 / 2.
double FeederLevel(double amplitude) { return 10.0 * std::log10(4.0 * amplitude * amplitude / 2.0); }

// A loud message, a burst of noise far louder than either message and a
// quiet message, each after a gap: every block reads its own level. The
// tolerance covers the low-pass filter's ripple at the tones (0.6 dB at
// 1200 Hz from the mixer) and the pre-key and ramps around the block.
TEST(VhfMessageLevel, EachBlockReadsItsOwnPowerWhateverCameBefore) {
  constexpr double kLoud = 0.5;  // the modulator's default
  constexpr double kQuiet = 0.05;
  const auto loud = testing::Transmit(testing::SampleBlock("LOUD MESSAGE"), 0.0);
  testbench::MskOptions quietOptions;
  quietOptions.amplitude = static_cast<float>(kQuiet);
  const auto quiet = testbench::ModulateVhfAcars(testing::SampleBlock("QUIET MESSAGE"), quietOptions);
  const auto noise = testbench::ShapedNoise(kSampleRate / 2, 10.0 * kLoud * kLoud, {});

  const auto gap = Silence(0.2);
  const auto start = Silence(kSecondsOfSilence);
  const auto audio = testing::Concatenate({start, loud, gap, noise, gap, quiet, gap});
  const testing::RecordingVhfSink sink = testing::DemodulateWithQuality(audio);
  ASSERT_EQ(sink.blocks.size(), 2u);
  EXPECT_NEAR(sink.qualities[0].levelDb, FeederLevel(kLoud), 0.7);
  EXPECT_NEAR(sink.qualities[1].levelDb, FeederLevel(kQuiet), 0.7);
  for (const VhfBlockQuality& quality : sink.qualities) EXPECT_EQ(quality.correctedBits, 0);
}

TEST(VhfMessageLevel, SilenceReadsAFloorNotMinusInfinity) {
  EXPECT_TRUE(std::isfinite(VhfLevelMeter::LevelDb(0.0)));
  EXPECT_LT(VhfLevelMeter::LevelDb(0.0), -100.0);
}

}  // namespace
}  // namespace talvir
