#include "sdr/channel_filter.h"

#include <cmath>
#include <numbers>

namespace talvir {
namespace {

// Kaiser's formulas for the window's shape and length at a given stop-band
// attenuation.
constexpr double kKaiserBeta = 0.1102 * (kStopbandDb - 8.7);
constexpr double kKaiserLengthDb = kStopbandDb - 7.95;
constexpr double kKaiserLengthScale = 2.285;

double BesselI0(double x) {
  double sum = 1.0;
  double term = 1.0;
  for (int k = 1; k < 50 && term > 1e-12 * sum; ++k) {
    const double half = x / (2.0 * k);
    term *= half * half;
    sum += term;
  }
  return sum;
}

}  // namespace

std::size_t LowPassTapsFor(double passHz, double stopHz, double rate) {
  const double transition = 2.0 * std::numbers::pi * (stopHz - passHz) / rate;
  return static_cast<std::size_t>(std::ceil(kKaiserLengthDb / (kKaiserLengthScale * transition))) + 1;
}

std::vector<float> DesignLowPass(double passHz, double stopHz, double rate, std::size_t taps) {
  const double cutoff = (passHz + stopHz) / 2.0 / rate;  // cycles per sample
  const double middle = (static_cast<double>(taps) - 1.0) / 2.0;
  const double windowScale = BesselI0(kKaiserBeta);
  std::vector<double> h(taps);
  double sum = 0.0;
  for (std::size_t n = 0; n < taps; ++n) {
    const double t = static_cast<double>(n) - middle;
    const double sinc = t == 0.0 ? 2.0 * cutoff : std::sin(2.0 * std::numbers::pi * cutoff * t) / (std::numbers::pi * t);
    const double r = middle > 0.0 ? t / middle : 0.0;
    h[n] = sinc * BesselI0(kKaiserBeta * std::sqrt(std::max(0.0, 1.0 - r * r))) / windowScale;
    sum += h[n];
  }
  std::vector<float> out(taps);
  for (std::size_t n = 0; n < taps; ++n) out[n] = static_cast<float>(h[n] / sum);
  return out;
}

}  // namespace talvir
