#pragma once
// Branch-free sine and cosine for whole blocks of mixer phases: every
// arithmetic step runs unconditionally and selects only pick results, so that
// loops calling them vectorise. A few 1e-7 of error against the library
// functions cost the demodulator nothing.

#include <cmath>

namespace talvir {

// cos and sin of a phase in [0, 2*pi] (wider ranges lose accuracy slowly).
inline void FastSinCos(float phase, float& cosine, float& sine) {
  constexpr float kTwoOverPi = 0.636619772f;
  // pi/2 split in two so that phase - q*pi/2 keeps its low bits.
  constexpr float kHalfPiHigh = 1.5703125f;
  constexpr float kHalfPiLow = 4.83826794897e-4f;
  const int quadrant = static_cast<int>(phase * kTwoOverPi + 0.5f);
  const float q = static_cast<float>(quadrant);
  const float r = (phase - q * kHalfPiHigh) - q * kHalfPiLow;  // |r| <= pi/4
  const float r2 = r * r;
  // Taylor series to r^7 and r^8: below 3.2e-7 on |r| <= pi/4.
  const float s = r + r * r2 * (-1.0f / 6 + r2 * (1.0f / 120 + r2 * (-1.0f / 5040)));
  const float c = 1.0f + r2 * (-0.5f + r2 * (1.0f / 24 + r2 * (-1.0f / 720 + r2 * (1.0f / 40320))));
  const bool swap = (quadrant & 1) != 0;
  const float cosBase = swap ? s : c;
  const float sinBase = swap ? c : s;
  // Quadrants 1 and 2 negate the cosine, 2 and 3 the sine.
  const float cosNegated = -cosBase;
  const float sinNegated = -sinBase;
  cosine = ((quadrant + 1) & 2) != 0 ? cosNegated : cosBase;
  sine = (quadrant & 2) != 0 ? sinNegated : sinBase;
}

}  // namespace talvir
