#pragma once
// Branch-free sine, cosine and arctangent for whole blocks of samples: every
// arithmetic step runs unconditionally and selects only pick results, so that
// loops calling them vectorise. The demodulator needs only the sign of phase
// steps and the wrap at +-pi, so a few 1e-7 of error against the library
// functions cost nothing.

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

// atan2(y, x) in [-pi, pi], signed zeros as the library function treats them;
// 0 for (0, 0).
inline float FastAtan2(float y, float x) {
  constexpr float kHalfPi = 1.57079633f;
  constexpr float kPi = 3.14159265f;
  // Added to the divisor instead of a test for zero, which keeps the loop free
  // of branches; vanishes against any sample above 1e-23.
  constexpr float kTiny = 1.0e-30f;
  const float ax = std::fabs(x);
  const float ay = std::fabs(y);
  const bool steep = ay > ax;
  const float numerator = steep ? ax : ay;
  const float denominator = steep ? ay : ax;
  const float t = numerator / (denominator + kTiny);  // in [0, 1]
  const float t2 = t * t;
  // Abramowitz and Stegun 4.4.49: atan t = t (1 + a2 t^2 + ... + a16 t^16),
  // error at most 2e-8 on [0, 1]. Written out: GCC vectorises a loop over the
  // coefficients less well.
  // clang-format off
  const float series =
      -0.3333314528f + t2 * (0.1999355085f + t2 * (-0.1420889944f + t2 * (0.1065626393f +
      t2 * (-0.0752896400f + t2 * (0.0429096138f + t2 * (-0.0161657367f + t2 * 0.0028662257f))))));
  // clang-format on
  const float a = t * (1.0f + t2 * series);
  const float complement = kHalfPi - a;
  const float firstQuadrant = steep ? complement : a;
  const float mirrored = kPi - firstQuadrant;
  return std::copysign(std::signbit(x) ? mirrored : firstQuadrant, y);
}

}  // namespace talvir
