// The levels each burst is reported with: its mean power and the noise floor
// between bursts, in dB relative to a full-scale tone.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "modem_harness.h"
#include "testbench/hf_channel.h"
#include "testbench/hfdl_modulator.h"

namespace talvir {
namespace {

// A tone of peak 1 has mean power 1/2.
double DbOfFullScaleTone(double power) { return 10.0 * std::log10(power / 0.5); }

// Two bursts 20 dB apart in the same noise, which lies in the HFDL channel
// (1440 Hz +-1 kHz), after seconds of noise alone. The meter's passband is
// flat within 0.6 dB up to 2 kHz and the burst's spectrum ends at 2.3 kHz;
// the noise is averaged over a second of blocks: half a dB covers both.
TEST(BurstLevels, BurstPowerAndNoiseFloorReadTheirKnownLevels) {
  constexpr double kSnrDb = 15.0;
  const auto frame = testing::RandomFrame(1, 7);
  std::vector<float> audio;
  double loudPower = 0.0;
  for (const float amplitude : {0.3f, 0.03f}) {
    const auto one = testbench::ModulateHfdlBurst(frame, 1, {.startSeconds = 3.0, .amplitude = amplitude});
    if (loudPower == 0.0) loudPower = testbench::ActivePower(one);
    audio.insert(audio.end(), one.begin(), one.end());
  }
  audio.resize(audio.size() + kSampleRate, 0.0f);
  const double noisePower = loudPower / 100.0 / std::pow(10.0, kSnrDb / 10.0);
  testbench::ChannelOptions channel;
  channel.snrDb = kSnrDb;
  channel.signalPower = loudPower / 100.0;  // the quiet burst's SNR
  channel.noiseLowHz = 440.0;
  channel.noiseHighHz = 2440.0;
  testing::ModemHarness harness;
  harness.Feed(testbench::ApplyChannel(audio, channel));

  ASSERT_EQ(harness.receiver.frames.size(), 2u);
  const BurstInfo& loud = harness.receiver.frames[0].burst;
  const BurstInfo& quiet = harness.receiver.frames[1].burst;
  EXPECT_NEAR(loud.signalLevelDb, DbOfFullScaleTone(loudPower + noisePower), 0.5);
  EXPECT_NEAR(quiet.signalLevelDb, DbOfFullScaleTone(loudPower / 100.0 + noisePower), 0.5);
  // The loud burst does not lift the floor the quiet one is measured against.
  for (const BurstInfo* burst : {&loud, &quiet}) EXPECT_NEAR(burst->noiseLevelDb, DbOfFullScaleTone(noisePower), 0.5);
}

// Bursts in silence: the floor is not minus infinity, which no JSON holds.
TEST(BurstLevels, SilenceBetweenBurstsReadsAFiniteFloor) {
  const testbench::HfdlBurstOptions burst{.startSeconds = 1.0};
  auto audio = testbench::ModulateHfdlBurst(testing::RandomFrame(0, 3), 0, burst);
  audio.resize(audio.size() + kSampleRate, 0.0f);
  testing::ModemHarness harness;
  harness.Feed(audio);
  ASSERT_EQ(harness.receiver.frames.size(), 1u);
  const BurstInfo& info = harness.receiver.frames[0].burst;
  EXPECT_TRUE(std::isfinite(info.noiseLevelDb));
  EXPECT_LT(info.noiseLevelDb, -100.0);
  EXPECT_NEAR(info.signalLevelDb, DbOfFullScaleTone(burst.amplitude * burst.amplitude / 2.0), 0.5);
}

}  // namespace
}  // namespace talvir
