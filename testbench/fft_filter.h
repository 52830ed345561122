#pragma once
// Long FIR filters for the channel simulator, run by FFT overlap-add: the
// noise shaping and analytic-signal filters have about a thousand taps and
// must get through minutes of 48 kHz audio quickly.

#include <complex>
#include <cstddef>
#include <functional>
#include <span>
#include <vector>

namespace talvir::testbench {

using Complex = std::complex<double>;

// In-place radix-2 FFT; the size is a power of two.
class Fft {
 public:
  explicit Fft(std::size_t size);
  std::size_t Size() const { return size_; }
  void Forward(std::span<Complex> data) const;
  void Inverse(std::span<Complex> data) const;  // includes the 1/N scaling

 private:
  void Transform(std::span<Complex> data, bool inverse) const;

  std::size_t size_;
  // Each stage's twiddles side by side (stage of half-length h: e^(-j pi k / h),
  // k < h), as the butterflies read them: a stride through one table of N/2
  // made the transform several times slower.
  std::vector<Complex> twiddles_;
  std::vector<std::size_t> bitReverse_;
};

// Convolution with fixed complex taps, one block of BlockSize() inputs at a
// time: out[n] = sum_k taps[k] * in[n - k] over the whole stream so far.
class OverlapAddFilter {
 public:
  explicit OverlapAddFilter(std::span<const Complex> taps);
  std::size_t BlockSize() const { return blockSize_; }
  std::size_t TapCount() const { return tapCount_; }
  void ProcessBlock(std::span<const Complex> in, std::span<Complex> out);

 private:
  std::size_t tapCount_;
  Fft fft_;
  std::size_t blockSize_;
  std::vector<Complex> spectrum_;  // of the taps
  std::vector<Complex> work_;
  std::vector<Complex> overlap_;  // tail of the previous block, tapCount - 1
};

// Filters `count` samples read from `source(n)` and hands output n, which is
// the filter output delayed back by `delay` samples, to `sink(n, value)`, so
// a centred filter's lag disappears.
void FilterStream(OverlapAddFilter& filter, std::size_t count, std::size_t delay,
                  const std::function<Complex(std::size_t)>& source,
                  const std::function<void(std::size_t, Complex)>& sink);

// A complex band-pass passing lowHz .. highHz of positive frequencies with
// unit gain and stopping all negative ones, Blackman window, `count` taps
// (odd; the centre tap is (count - 1) / 2), delayed by a further
// `fractionalDelay` samples (0 .. 1). Twice the real part of its output is the
// band-limited real signal; the output itself is half the analytic signal.
std::vector<Complex> DesignAnalyticBandpass(double lowHz, double highHz, int count, double sampleRate,
                                            double fractionalDelay = 0.0);

}  // namespace talvir::testbench
