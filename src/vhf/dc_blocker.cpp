#include "vhf/dc_blocker.h"

#include <cassert>
#include <cmath>

#include "vhf/acars_msk.h"

namespace talvir {

namespace {

constexpr float kPole = kVhfDcBlockerPole;
constexpr float kGain = 1.0f - kPole;
constexpr float kPole2 = kPole * kPole;
constexpr float kPole3 = kPole2 * kPole;
constexpr float kPole4 = kPole3 * kPole;

// A broken driver's NaN or infinite sample is taken as silence, so that it
// stays out of every recursion down the chain.
float Finite(float x) { return std::isfinite(x) ? x : 0.0f; }

}  // namespace

// Four samples a step: each level is reached from the level four samples
// back, so the serial chain is one multiply-add per four samples instead of
// one per sample.
void DcBlocker::Process(std::span<const float> in, std::span<float> out) {
  assert(in.size() % 4 == 0 && out.size() >= in.size());
  float level = level_;
  for (std::size_t n = 0; n < in.size(); n += 4) {
    const float x0 = Finite(in[n]);
    const float x1 = Finite(in[n + 1]);
    const float x2 = Finite(in[n + 2]);
    const float x3 = Finite(in[n + 3]);
    const float g0 = kGain * x0;
    const float g1 = kGain * x1;
    const float g2 = kGain * x2;
    const float g3 = kGain * x3;
    const float level0 = kPole * level + g0;
    const float level1 = kPole2 * level + (kPole * g0 + g1);
    const float level2 = kPole3 * level + (kPole2 * g0 + kPole * g1 + g2);
    const float level3 = kPole4 * level + (kPole3 * g0 + kPole2 * g1 + kPole * g2 + g3);
    out[n] = x0 - level0;
    out[n + 1] = x1 - level1;
    out[n + 2] = x2 - level2;
    out[n + 3] = x3 - level3;
    level = level3;
  }
  level_ = level;
}

}  // namespace talvir
