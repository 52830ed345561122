// The mixer's block-wise sine and cosine against the library's, and the
// anti-alias filter's response, measured on complex tones through the
// decimator (I and Q planes), against the figures the design gives.

#include "vhf/low_pass_decimator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "common/decoder_links.h"
#include "vhf/fast_trig.h"

namespace talvir {
namespace {

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
