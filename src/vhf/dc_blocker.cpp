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

}  // namespace

// Four samples a step: each level is reached from the level four samples
// back, so the serial chain is one multiply-add per four samples instead of
// one per sample.
void DcBlocker::Process(std::span<const float> in, std::span<float> out) {
  assert(in.size() % 4 == 0 && out.size() >= in.size());
  float level = level_;
  for (std::size_t n = 0; n < in.size(); n += 4) {
    const float g0 = kGain * in[n];
    const float g1 = kGain * in[n + 1];
    const float g2 = kGain * in[n + 2];
    const float g3 = kGain * in[n + 3];
    const float level0 = kPole * level + g0;
    const float level1 = kPole2 * level + (kPole * g0 + g1);
    const float level2 = kPole3 * level + (kPole2 * g0 + kPole * g1 + g2);
    const float level3 = kPole4 * level + (kPole3 * g0 + kPole2 * g1 + kPole * g2 + g3);
    out[n] = in[n] - level0;
    out[n + 1] = in[n + 1] - level1;
    out[n + 2] = in[n + 2] - level2;
    out[n + 3] = in[n + 3] - level3;
    level = level3;
  }
  // A NaN or infinite sample must not stay in the recursion for good.
  level_ = std::isfinite(level) ? level : 0.0f;
}

}  // namespace talvir
