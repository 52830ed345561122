#pragma once
// Recursive-least-squares gain in UD-factorised form (Bierman), in double
// precision: the covariance is U diag(D) U^H with U unit upper triangular.
// The measurement variance is R + gamma * alpha_n and D is inflated by
// (1 + gamma) at every update, which makes the filter forget old data.

#include <array>
#include <span>

#include "modem/complex_math.h"

namespace talvir {

class UdRlsCore {
 public:
  static constexpr int kMaxTaps = 32;
  static constexpr double kInflation = 0.01;           // gamma
  static constexpr double kMeasurementVariance = 0.01;  // R

  // U = identity, D = 1, for n taps (1..kMaxTaps), forgetting with gamma.
  void Reset(int taps, double inflation = kInflation);

  // Bierman update for the regressor x (n values); afterwards Gain() holds
  // the unnormalised gain and Reciprocal() its normaliser
  // 1 / ((1 + gamma) alpha_n).
  void UpdateGain(std::span<const Complex> x);
  // w += e * r * g
  void UpdateWeights(std::span<Complex> w, Complex error) const;

  int taps() const { return n_; }
  double Reciprocal() const { return r_; }
  ComplexD Gain(int i) const { return {gRe_[At(i)], gIm_[At(i)]}; }
  double D(int i) const { return d_[At(i)]; }
  // Above the diagonal only (row < column).
  ComplexD U(int row, int column) const { return {uRe_[column][At(row)], uIm_[column][At(row)]}; }

 private:
  static constexpr std::size_t At(int i) { return static_cast<std::size_t>(i); }
  using Column = std::array<double, kMaxTaps>;

  int n_ = kMaxTaps;
  double r_ = 0.0;
  double inflation_ = kInflation;
  // U by column, real and imaginary parts apart, so the column updates run
  // as plain vector loops.
  std::array<Column, kMaxTaps> uRe_{};
  std::array<Column, kMaxTaps> uIm_{};
  Column d_{};
  Column fRe_{}, fIm_{};
  Column gRe_{}, gIm_{};
  std::array<double, kMaxTaps + 1> alpha_{};
};

}  // namespace talvir
