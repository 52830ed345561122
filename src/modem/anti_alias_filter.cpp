#include "modem/anti_alias_filter.h"

#include <cmath>
#include <numbers>

#include "modem/hfdl_phy.h"
#include "modem/kaiser_window.h"

namespace talvir {

namespace {

// Kaiser-windowed sinc: cut at half the picked rate (4.8 kHz), beta 6.76
// for about 70 dB outside the 2.75 .. 6.875 kHz transition.
constexpr double kCutoffHz = hfdl::kInputRate / (2.0 * hfdl::kInputPick);
constexpr double kKaiserBeta = 6.76;

std::array<float, AntiAliasFilter::kTaps> Design() {
  constexpr int kN = AntiAliasFilter::kTaps;
  constexpr double kMiddle = (kN - 1) / 2.0;
  constexpr double kCut = kCutoffHz / hfdl::kInputRate;  // cycles per sample
  std::array<double, kN> h{};
  double sum = 0.0;
  for (int n = 0; n < kN; ++n) {
    const double t = n - kMiddle;
    const double sinc = t == 0.0 ? 2.0 * kCut : std::sin(2.0 * std::numbers::pi * kCut * t) / (std::numbers::pi * t);
    const double edge = t / kMiddle;
    h[static_cast<std::size_t>(n)] = sinc * KaiserWindow(edge, kKaiserBeta);
    sum += h[static_cast<std::size_t>(n)];
  }
  std::array<float, kN> coefficients{};
  for (int n = 0; n < kN; ++n) coefficients[static_cast<std::size_t>(n)] = static_cast<float>(h[static_cast<std::size_t>(n)] / sum);
  return coefficients;
}

const std::array<float, AntiAliasFilter::kTaps> kCoefficients = Design();

}  // namespace

float AntiAliasFilter::Output() const {
  // Four partial sums let the compiler keep the products in vector lanes.
  const float* d = &line_[newest_ + 1];
  float acc[4] = {};
  int k = 0;
  for (; k + 4 <= kTaps; k += 4)
    for (int j = 0; j < 4; ++j) acc[j] += kCoefficients[static_cast<std::size_t>(k + j)] * d[k + j];
  for (; k < kTaps; ++k) acc[0] += kCoefficients[static_cast<std::size_t>(k)] * d[k];
  return (acc[0] + acc[1]) + (acc[2] + acc[3]);
}

}  // namespace talvir
