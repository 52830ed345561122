// The block-wise sine and cosine against the library functions.

#include "vhf/fast_trig.h"

#include <gtest/gtest.h>

#include <cmath>

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

}  // namespace
}  // namespace talvir
