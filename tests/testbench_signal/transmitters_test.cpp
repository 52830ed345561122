// The transmitters' level, timing and phase, which every SNR and slot the
// bench sets rests on, what they refuse, and the WAV files every later test
// and the demo are written to. Their symbols and bits are pinned by the
// receivers, which decode both the on-air recordings and the bench's bursts
// of every rate and its messages.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "modem/hfdl_phy.h"
#include "support/temp_dir.h"
#include "testbench/hfdl_modulator.h"
#include "testbench/msk_modulator.h"
#include "testbench/wav_file.h"

namespace talvir::testbench {
namespace {

TEST(HfdlModulator, BurstStartsWhenAskedFitsItsSlotAndHasTheAskedPower) {
  std::vector<uint8_t> frame(405);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 37 + 11);
  HfdlBurstOptions options;
  options.amplitude = 0.4f;
  options.startSeconds = 0.01;
  options.carrierOffsetHz = 25.0;
  const auto audio = ModulateHfdlBurst(frame, 0, options);
  const std::size_t lead = 480;
  for (std::size_t n = 0; n < lead; ++n) ASSERT_EQ(audio[n], 0.0f);
  EXPECT_NE(audio[lead + 20], 0.0f);
  // The 1.8 s burst, its prekey and the pulse's tails fit one slot of 32/13 s.
  const double seconds = static_cast<double>(audio.size() - lead) / 48000.0;
  EXPECT_NEAR(seconds, (BurstSymbolCount(0) + 16) / 1800.0, 0.001);
  EXPECT_LT(seconds, 32.0 / 13.0);
  // Mean power over the burst's symbols is that of a tone of peak 0.4.
  double power = 0.0;
  for (std::size_t n = lead; n < audio.size(); ++n) power += std::pow(static_cast<double>(audio[n]), 2);
  power /= static_cast<double>(BurstSymbolCount(0)) * 48000.0 / 1800.0;
  EXPECT_NEAR(power / (0.4 * 0.4 / 2), 1.0, 0.03);

  EXPECT_THROW(ModulateHfdlBurst(std::vector<uint8_t>(136, 0), 4), std::invalid_argument);
  EXPECT_THROW(Interleave(std::vector<uint8_t>(10), 0), std::invalid_argument);
  EXPECT_THROW(CodedBurstBits(std::vector<uint8_t>(1), hfdl::kRateCodes), std::invalid_argument);
}

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
