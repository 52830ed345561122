// The VHF ACARS modulator's level and phase (its bits are pinned by the
// demodulator, which reads both on-air recordings and the bench's messages),
// and the WAV files every later test and the demo are written to.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "support/temp_dir.h"
#include "testbench/msk_modulator.h"
#include "testbench/wav_file.h"

namespace talvir::testbench {
namespace {

constexpr int kSamplesPerBit = 20;

const std::vector<uint8_t> kBlock = {0x01, 0x32, 0x2E, 0x4E, 0x31, 0x32, 0x33, 0x83, 0x89, 0x21, 0x7F};

TEST(MskModulator, PhaseIsContinuousAmplitudeAsAskedAndABlockNeedsSoh) {
  MskOptions options;
  options.amplitude = 0.4f;
  const auto audio = ModulateVhfAcars(kBlock, options);
  // Between ramps no sample moves further than a 2400 Hz tone can in 1/48000 s.
  const double maxStep = 0.4 * 2 * std::numbers::pi * 2400 / 48000 * 1.001;
  float peak = 0;
  for (std::size_t n = 200; n + 200 < audio.size(); ++n) {
    EXPECT_LE(std::abs(static_cast<double>(audio[n] - audio[n - 1])), maxStep) << "at sample " << n;
    peak = std::max(peak, std::abs(audio[n]));
  }
  EXPECT_NEAR(peak, 0.4f, 1e-3f);
  EXPECT_EQ(audio.size() % kSamplesPerBit, 0u);
  EXPECT_THROW(ModulateVhfAcars(std::vector<uint8_t>{0x32, 0x83}), std::invalid_argument);
  EXPECT_THROW(ModulateVhfAcars({}), std::invalid_argument);
}

TEST(WavFile, RoundTripsClippedStereoAndMonoAndRefusesWhatItCannot) {
  testing::TempDir dir;
  const std::vector<float> left = {0.0f, 0.5f, -0.5f, 1.5f, -1.5f};
  const std::vector<float> right = {0.25f, -0.25f, 0.0f, 0.125f, 1.0f};
  WriteWavFile(dir.path() / "x.wav", left, right);
  const auto audio = ReadWavFile(dir.path() / "x.wav");
  EXPECT_EQ(audio.sampleRate, 48000);
  ASSERT_EQ(audio.channels, 2);
  for (std::size_t i = 0; i < left.size(); ++i) {
    EXPECT_NEAR(audio.samples[0][i], std::clamp(left[i], -1.0f, 1.0f), 1.0f / 32767);
    EXPECT_NEAR(audio.samples[1][i], right[i], 1.0f / 32767);
  }
  const std::vector<float> mono = {0.1f, 0.2f};
  WriteWavFile(dir.path() / "m.wav", mono);
  EXPECT_EQ(ReadWavFile(dir.path() / "m.wav").channels, 1);
  EXPECT_THROW(EncodeWav(mono, std::vector<float>{0.1f}), std::invalid_argument);
  EXPECT_THROW(WriteWavFile(dir.path() / "no" / "such" / "dir.wav", mono), std::runtime_error);
  EXPECT_THROW(ReadWavFile(dir.path() / "missing.wav"), std::runtime_error);
}

}  // namespace
}  // namespace talvir::testbench
