#pragma once
// The textbook root-raised-cosine pulse, written apart from the modulator's
// own so the tests check it rather than repeat it.

#include <cmath>
#include <numbers>

namespace talvir::testbench {

// Roll-off 0.35; t in symbol periods.
inline double ReferenceRrc(double t) {
  const double a = 0.35;
  const double pi = std::numbers::pi;
  if (std::abs(t) < 1e-9) return 1 - a + 4 * a / pi;
  if (std::abs(std::abs(t) - 1 / (4 * a)) < 1e-6) {
    return a / std::sqrt(2.0) * ((1 + 2 / pi) * std::sin(pi / (4 * a)) + (1 - 2 / pi) * std::cos(pi / (4 * a)));
  }
  return (std::sin(pi * t * (1 - a)) + 4 * a * t * std::cos(pi * t * (1 + a))) / (pi * t * (1 - 16 * a * a * t * t));
}

}  // namespace talvir::testbench
