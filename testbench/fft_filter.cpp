#include "testbench/fft_filter.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace talvir::testbench {
namespace {

// Plain product: std::complex's operator* checks for infinities and NaNs
// through a library call, which dominates an FFT's cost.
inline Complex Multiply(Complex a, Complex b) {
  return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

}  // namespace

Fft::Fft(std::size_t size) : size_(size), bitReverse_(size) {
  if (size < 2 || (size & (size - 1)) != 0) throw std::invalid_argument("FFT size must be a power of two");
  twiddles_.reserve(size - 1);
  for (std::size_t half = 1; half < size; half *= 2) {
    const std::size_t stride = size / (2 * half);
    for (std::size_t k = 0; k < half; ++k) {
      twiddles_.push_back(
          std::polar(1.0, -2.0 * std::numbers::pi * static_cast<double>(k * stride) / static_cast<double>(size)));
    }
  }
  int bits = 0;
  while ((std::size_t{1} << bits) < size) ++bits;
  for (std::size_t i = 0; i < size; ++i) {
    std::size_t r = 0;
    for (int b = 0; b < bits; ++b) r |= ((i >> b) & 1u) << (bits - 1 - b);
    bitReverse_[i] = r;
  }
}

void Fft::Forward(std::span<Complex> data) const { Transform(data, false); }

void Fft::Inverse(std::span<Complex> data) const {
  Transform(data, true);
  const double scale = 1.0 / static_cast<double>(size_);
  for (auto& v : data) v *= scale;
}

void Fft::Transform(std::span<Complex> data, bool inverse) const {
  for (std::size_t i = 0; i < size_; ++i) {
    if (i < bitReverse_[i]) std::swap(data[i], data[bitReverse_[i]]);
  }
  const Complex* w = twiddles_.data();
  for (std::size_t half = 1; half < size_; w += half, half *= 2) {
    for (std::size_t start = 0; start < size_; start += 2 * half) {
      Complex* low = data.data() + start;
      Complex* high = low + half;
      for (std::size_t k = 0; k < half; ++k) {
        const Complex a = low[k];
        const Complex b = Multiply(high[k], inverse ? std::conj(w[k]) : w[k]);
        low[k] = a + b;
        high[k] = a - b;
      }
    }
  }
}

namespace {

std::size_t FftSizeFor(std::size_t taps) {
  // About four times the filter length keeps the work per output low.
  std::size_t n = 2;
  while (n < 4 * taps) n *= 2;
  return n;
}

}  // namespace

OverlapAddFilter::OverlapAddFilter(std::span<const Complex> taps)
    : tapCount_(taps.size()),
      fft_(FftSizeFor(taps.size())),
      blockSize_(fft_.Size() - taps.size() + 1),
      spectrum_(fft_.Size()),
      work_(fft_.Size()),
      overlap_(taps.size() - 1) {
  if (taps.empty()) throw std::invalid_argument("a filter needs at least one tap");
  std::copy(taps.begin(), taps.end(), spectrum_.begin());
  fft_.Forward(spectrum_);
}

void OverlapAddFilter::ProcessBlock(std::span<const Complex> in, std::span<Complex> out) {
  std::fill(work_.begin(), work_.end(), Complex{});
  std::copy(in.begin(), in.end(), work_.begin());
  fft_.Forward(work_);
  for (std::size_t k = 0; k < work_.size(); ++k) work_[k] = Multiply(work_[k], spectrum_[k]);
  fft_.Inverse(work_);
  for (std::size_t i = 0; i < overlap_.size(); ++i) work_[i] += overlap_[i];
  std::copy(work_.begin(), work_.begin() + static_cast<std::ptrdiff_t>(blockSize_), out.begin());
  std::copy(work_.begin() + static_cast<std::ptrdiff_t>(blockSize_),
            work_.begin() + static_cast<std::ptrdiff_t>(blockSize_ + overlap_.size()), overlap_.begin());
}

void FilterStream(OverlapAddFilter& filter, std::size_t count, std::size_t delay,
                  const std::function<Complex(std::size_t)>& source,
                  const std::function<void(std::size_t, Complex)>& sink) {
  const std::size_t block = filter.BlockSize();
  std::vector<Complex> in(block);
  std::vector<Complex> out(block);
  const std::size_t total = count + delay;
  for (std::size_t first = 0; first < total; first += block) {
    for (std::size_t i = 0; i < block; ++i) {
      const std::size_t n = first + i;
      in[i] = n < count ? source(n) : Complex{};
    }
    filter.ProcessBlock(in, out);
    for (std::size_t i = 0; i < block; ++i) {
      const std::size_t n = first + i;
      if (n >= delay && n - delay < count) sink(n - delay, out[i]);
    }
  }
}

std::vector<Complex> DesignAnalyticBandpass(double lowHz, double highHz, int count, double sampleRate,
                                            double fractionalDelay) {
  if (count < 3 || count % 2 == 0 || !(lowHz < highHz)) throw std::invalid_argument("bad band-pass design");
  const double centreHz = 0.5 * (lowHz + highHz);
  const double halfWidth = 0.5 * (highHz - lowHz) / sampleRate;  // cycles per sample
  const double span = static_cast<double>(count);
  std::vector<Complex> taps(static_cast<std::size_t>(count));
  for (int n = 0; n < count; ++n) {
    const double t = n - (count - 1) / 2.0 - fractionalDelay;
    const double lowPass = std::abs(t) < 1e-12
                               ? 2.0 * halfWidth
                               : std::sin(2.0 * std::numbers::pi * halfWidth * t) / (std::numbers::pi * t);
    const double x = 2.0 * std::numbers::pi * t / span;
    const double window = std::abs(t) >= span / 2 ? 0.0 : 0.42 + 0.5 * std::cos(x) + 0.08 * std::cos(2 * x);
    taps[static_cast<std::size_t>(n)] =
        lowPass * window * std::polar(1.0, 2.0 * std::numbers::pi * centreHz * t / sampleRate);
  }
  return taps;
}

}  // namespace talvir::testbench
