#include "ui/spectrum_column.h"

#include <cmath>
#include <numbers>

namespace talvir {
namespace {
constexpr int kTransformBits = 7;
static_assert(1 << kTransformBits == kSpectrumPoints);
}  // namespace

SpectrumColumn::SpectrumColumn() {
  for (int n = 0; n < kSpectrumPoints; ++n) {
    // Not a Hamming window: the ends stay near 0.54, a gentle taper.
    window_[n] = static_cast<float>(0.54 + 0.46 * std::cos(std::numbers::pi * (n - 64) / 128.0));
    int reversed = 0;
    for (int bit = 0; bit < kTransformBits; ++bit) reversed |= ((n >> bit) & 1) << (kTransformBits - 1 - bit);
    bitReversed_[n] = reversed;
  }
  for (int k = 0; k < kSpectrumPoints / 2; ++k) {
    const double angle = -2.0 * std::numbers::pi * k / kSpectrumPoints;
    twiddles_[k] = {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
  }
}

void SpectrumColumn::Process(std::span<const float> samples, float gain) {
  for (int n = 0; n < kSpectrumPoints; ++n) bins_[bitReversed_[n]] = {samples[n] * window_[n], 0.0f};
  for (int half = 1; half < kSpectrumPoints; half *= 2) {
    const int stride = kSpectrumPoints / (2 * half);
    for (int start = 0; start < kSpectrumPoints; start += 2 * half) {
      for (int j = 0; j < half; ++j) {
        const std::complex<float> odd = bins_[start + j + half] * twiddles_[j * stride];
        bins_[start + j + half] = bins_[start + j] - odd;
        bins_[start + j] += odd;
      }
    }
  }
  // The input is real: bins 64..127 mirror the positive frequencies, 24 kHz
  // down to 375 Hz.
  for (int i = 0; i < kSpectrumRows; ++i) {
    levels_[i] = 20.0f * gain * std::log10(std::norm(bins_[kSpectrumRows + i]) + 1.0f);
  }
}

}  // namespace talvir
