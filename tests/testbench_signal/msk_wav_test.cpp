// The VHF ACARS modulator against an independent tone detector, and the WAV
// files every later test and the demo are written to.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "support/temp_dir.h"
#include "testbench/msk_modulator.h"
#include "testbench/wav_file.h"

namespace talvir::testbench {
namespace {

constexpr int kSamplesPerBit = 20;

// Which of the two tones fills each bit period, read back into data bits by
// the differential rule (1200 Hz: the bit changes).
std::vector<uint8_t> DetectBytes(const std::vector<float>& audio, std::size_t firstSample, int prekeyBits) {
  std::vector<int> bits;
  int state = 0;
  for (std::size_t start = firstSample; start + kSamplesPerBit <= audio.size(); start += kSamplesPerBit) {
    std::complex<double> low{}, high{};
    for (int i = 0; i < kSamplesPerBit; ++i) {
      const double t = static_cast<double>(i) / 48000.0;
      low += static_cast<double>(audio[start + static_cast<std::size_t>(i)]) *
             std::polar(1.0, -2 * std::numbers::pi * 1200 * t);
      high += static_cast<double>(audio[start + static_cast<std::size_t>(i)]) *
              std::polar(1.0, -2 * std::numbers::pi * 2400 * t);
    }
    if (std::abs(low) > std::abs(high)) state ^= 1;
    bits.push_back(state);
  }
  std::vector<uint8_t> bytes;
  for (std::size_t at = static_cast<std::size_t>(prekeyBits); at + 8 <= bits.size(); at += 8) {
    uint8_t byte = 0;
    for (int b = 0; b < 8; ++b) byte = static_cast<uint8_t>(byte | (bits[at + static_cast<std::size_t>(b)] << b));
    bytes.push_back(byte);
  }
  return bytes;
}

const std::vector<uint8_t> kBlock = {0x01, 0x32, 0x2E, 0x4E, 0x31, 0x32, 0x33, 0x83, 0x89, 0x21, 0x7F};

TEST(MskModulator, SendsSyncAndBlockLeastSignificantBitFirstAndNeedsSoh) {
  MskOptions options;
  options.startSeconds = 0.01;
  const auto audio = ModulateVhfAcars(kBlock, options);
  const auto bytes = DetectBytes(audio, 480, options.prekeyBits);
  const auto expected = AcarsTransmissionBytes(kBlock);
  ASSERT_GE(bytes.size(), expected.size());
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(expected.size())),
            expected);
  // "+" with its parity bit, "*", SYN, SYN: the receiver's sync word follows.
  EXPECT_EQ(expected[0], 0xAB);
  EXPECT_EQ(expected[1], 0x2A);
  EXPECT_EQ(expected[2], 0x16);
  EXPECT_EQ(expected[4], 0x01);
  EXPECT_THROW(ModulateVhfAcars(std::vector<uint8_t>{0x32, 0x83}), std::invalid_argument);
  EXPECT_THROW(ModulateVhfAcars({}), std::invalid_argument);
}

TEST(MskModulator, PhaseIsContinuousAndAmplitudeAsAsked) {
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
