// The block-wise trigonometry against the library functions.

#include "vhf/fast_trig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

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

TEST(FastTrig, ArctangentInEveryOctantAndOnTheAxes) {
  float worst = 0.0f;
  for (int i = 0; i < 3600; ++i) {
    const double angle = 2.0 * std::numbers::pi * i / 3600;
    for (const double radius : {1e-6, 0.3, 1.0, 250.0}) {
      const auto x = static_cast<float>(radius * std::cos(angle));
      const auto y = static_cast<float>(radius * std::sin(angle));
      worst = std::max(worst, std::fabs(FastAtan2(y, x) - std::atan2(y, x)));
    }
  }
  EXPECT_LT(worst, 1e-6f);
  EXPECT_EQ(FastAtan2(0.0f, 0.0f), 0.0f);
  for (const auto& [y, x] : {std::pair{0.0f, -1.0f}, {-0.0f, -1.0f}, {1.0f, 0.0f}, {-1.0f, 0.0f}})
    EXPECT_FLOAT_EQ(FastAtan2(y, x), std::atan2(y, x)) << y << ", " << x;
}

}  // namespace
}  // namespace talvir
