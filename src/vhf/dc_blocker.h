#pragma once
// High-pass that takes the DC level off the channel before the mixer.
// Airband receivers and sound cards often deliver audio resting well off
// zero; mixed by 1800 Hz that level becomes a tone beside the signal and
// swamps it. The corner lies far below the 1200 Hz tone, so the tones keep
// their level and phase.

#include <span>

namespace talvir {

class DcBlocker {
 public:
  // out[n] = in[n] - level[n], where level[n] = pole * level[n-1] +
  // (1 - pole) * in[n] follows the DC; NaN and infinite samples count as 0.
  // `in.size()` must be a multiple of 4; `out` may be `in`.
  void Process(std::span<const float> in, std::span<float> out);

 private:
  float level_ = 0.0f;
};

}  // namespace talvir
