#include "sdr/am_demodulator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace talvir {
namespace {

constexpr double kRate = 48000;

// A carrier of `level` carrying a 1200 Hz tone at `depth`.
std::vector<std::complex<float>> AmTone(float level, double depth, std::size_t length) {
  std::vector<std::complex<float>> in(length);
  for (std::size_t n = 0; n < length; ++n) {
    const double t = static_cast<double>(n) / kRate;
    const double envelope = static_cast<double>(level) * (1.0 + depth * std::sin(2 * std::numbers::pi * 1200 * t));
    in[n] = std::complex<float>(std::polar(envelope, 0.3 + 2 * std::numbers::pi * 700 * t));
  }
  return in;
}

// Peak of the audio after the carrier follower has settled.
float SettledPeak(const std::vector<float>& audio) {
  float peak = 0;
  for (std::size_t n = audio.size() / 2; n < audio.size(); ++n) peak = std::max(peak, std::abs(audio[n]));
  return peak;
}

TEST(AmDemodulator, AudioFollowsTheDepthWhateverTheCarrierLevel) {
  for (const float level : {1e-4f, 0.02f, 0.9f}) {
    SCOPED_TRACE(level);
    const auto in = AmTone(level, 0.5, 4800);
    std::vector<float> audio(in.size());
    AmDemodulator am(kRate);
    am.Process(in, audio);
    EXPECT_NEAR(SettledPeak(audio), 0.5f * AmDemodulator::kFullDepthLevel, 0.02f);
    // The carrier is gone: no DC is left.
    double sum = 0;
    for (std::size_t n = 2400; n < 4800; ++n) sum += static_cast<double>(audio[n]);
    EXPECT_NEAR(sum / 2400, 0.0, 0.005);
  }
}

TEST(AmDemodulator, SilenceAndBadSamplesGiveQuietAudioNotNan) {
  AmDemodulator am(kRate);
  std::vector<std::complex<float>> in(960);
  std::vector<float> audio(in.size(), 1.0f);
  am.Process(in, audio);
  for (const float sample : audio) EXPECT_EQ(sample, 0.0f);
  // A NaN in a file must not stay in the carrier for good.
  in = AmTone(0.1f, 0.5, 4800);
  in[10] = {std::nanf(""), 0.0f};
  audio.assign(in.size(), 0.0f);
  am.Process(in, audio);
  for (const float sample : audio) ASSERT_TRUE(std::isfinite(sample));
  EXPECT_NEAR(SettledPeak(audio), 0.5f * AmDemodulator::kFullDepthLevel, 0.02f);
}

}  // namespace
}  // namespace talvir
