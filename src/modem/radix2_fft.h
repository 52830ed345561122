#pragma once
// In-place complex FFT of a fixed power-of-two size, twiddles made once.

#include <array>
#include <span>

#include "modem/complex_math.h"

namespace talvir {

template <int N>
class Radix2Fft {
  static_assert(N >= 2 && (N & (N - 1)) == 0, "a power of two");

 public:
  Radix2Fft();
  void Forward(std::span<Complex, N> x) const;

 private:
  std::array<Complex, N / 2> twiddles_{};  // e^(-j 2 pi k / N)
};

}  // namespace talvir
