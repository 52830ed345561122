#pragma once
// The Kaiser window the modem's windowed-sinc filters are cut with.

#include <cmath>

namespace talvir {

// The modified Bessel function of the first kind, order 0, by its series.
inline double BesselI0(double x) {
  double sum = 1.0;
  double term = 1.0;
  for (int k = 1; k < 40; ++k) {
    term *= (x / (2.0 * k)) * (x / (2.0 * k));
    sum += term;
  }
  return sum;
}

// The window at `edge` (-1 .. 1 across the filter, 0 in its middle; the
// ends are not 0); 0 beyond.
inline double KaiserWindow(double edge, double beta) {
  if (edge * edge > 1.0) return 0.0;
  return BesselI0(beta * std::sqrt(1.0 - edge * edge)) / BesselI0(beta);
}

}  // namespace talvir
