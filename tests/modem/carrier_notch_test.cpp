// Steady carriers are found and notched; bursts, their prekey and noise are
// left alone.

#include "modem/carrier_notch.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace talvir {
namespace {

constexpr double kRate = hfdl::kMixRate;

struct Run {
  std::vector<float> out;
  std::vector<int> notches;  // active after each block
  std::vector<float> firstHz;
};

// Gaussian noise of unit power plus what `tone(n)` adds, block by block.
template <class Tone>
Run Through(CarrierNotch& notch, double seconds, Tone tone, uint32_t seed = 1) {
  std::mt19937 random(seed);
  std::normal_distribution<float> gauss;
  Run run;
  std::array<float, CarrierNotch::kBlock> in{};
  std::array<float, CarrierNotch::kBlock> out{};
  const int blocks = static_cast<int>(seconds * kRate / CarrierNotch::kBlock);
  for (int b = 0; b < blocks; ++b) {
    for (int i = 0; i < CarrierNotch::kBlock; ++i) {
      const long n = static_cast<long>(b) * CarrierNotch::kBlock + i;
      in[static_cast<std::size_t>(i)] = gauss(random) + tone(n);
    }
    notch.Process(in, out);
    run.out.insert(run.out.end(), out.begin(), out.end());
    run.notches.push_back(notch.ActiveNotches());
    run.firstHz.push_back(notch.NotchHz(0));
  }
  return run;
}

// Power of x at hz over its last `count` samples (a single DFT bin).
double PowerAt(const std::vector<float>& x, double hz, std::size_t count) {
  std::complex<double> sum{};
  for (std::size_t n = x.size() - count; n < x.size(); ++n)
    sum += static_cast<double>(x[n]) * std::polar(1.0, -2.0 * std::numbers::pi * hz * static_cast<double>(n) / kRate);
  return std::norm(sum) / static_cast<double>(count * count);
}

auto ToneAt(double hz, double amplitude, long until = -1) {
  return [=](long n) {
    if (until >= 0 && n >= until) return 0.0f;
    return static_cast<float>(amplitude * std::cos(2.0 * std::numbers::pi * hz * static_cast<double>(n) / kRate));
  };
}

TEST(CarrierNotch, SteadyCarrierIsNotchedAfterItHasLastedShortOneAndNoiseAreNot) {
  CarrierNotch notch;
  // 10 dB above the noise in the whole 3.6 kHz.
  const auto run = Through(notch, 3.0, ToneAt(1840.0, std::sqrt(20.0)));
  // Not before six spectra (0.85 s), then for good.
  EXPECT_EQ(run.notches[20], 0);
  EXPECT_EQ(run.notches.back(), 1);
  EXPECT_NEAR(run.firstHz.back(), 1840.0f, 1.5f);
  // The tone's 5 at its frequency, at least 30 dB down.
  EXPECT_LT(PowerAt(run.out, 1840.0, 7200), 5e-3);
  // Noise alone, and a burst's 0.25 s prekey (a carrier too short to notch).
  CarrierNotch quiet;
  for (const int n : Through(quiet, 3.0, [](long) { return 0.0f; }).notches) ASSERT_EQ(n, 0);
  CarrierNotch prekey;
  for (const int n : Through(prekey, 3.0, ToneAt(1440.0, 10.0, static_cast<long>(0.3 * kRate))).notches)
    ASSERT_EQ(n, 0);
}

// Two carriers, one drifting at 0.2 Hz/s: both stay notched, the notch
// follows the drift.
TEST(CarrierNotch, DriftingCarriersAreFollowed) {
  CarrierNotch notch;
  const auto run = Through(notch, 20.0, [](long n) {
    const double t = static_cast<double>(n) / kRate;
    return static_cast<float>(5.0 * std::cos(2.0 * std::numbers::pi * (1000.0 * t + 0.1 * t * t)) +
                              5.0 * std::cos(2.0 * std::numbers::pi * 2200.0 * t));
  });
  EXPECT_EQ(run.notches.back(), 2);
  const float a = notch.NotchHz(0);
  const float b = notch.NotchHz(1);
  const float drifting = std::fabs(a - 1004.0f) < std::fabs(b - 1004.0f) ? a : b;
  EXPECT_NEAR(drifting, 1004.0f, 2.0f);
  EXPECT_NEAR(a + b - drifting, 2200.0f, 1.5f);
}

}  // namespace
}  // namespace talvir
