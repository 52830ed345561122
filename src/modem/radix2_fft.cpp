#include "modem/radix2_fft.h"

#include <cmath>
#include <numbers>
#include <utility>

#include "modem/carrier_notch.h"

namespace talvir {

template <int N>
Radix2Fft<N>::Radix2Fft() {
  for (int k = 0; k < N / 2; ++k)
    twiddles_[static_cast<std::size_t>(k)] = std::polar(1.0f, static_cast<float>(-2.0 * std::numbers::pi * k / N));
}

template <int N>
void Radix2Fft<N>::Forward(std::span<Complex, N> x) const {
  for (int i = 1, j = 0; i < N; ++i) {
    int bit = N >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(x[static_cast<std::size_t>(i)], x[static_cast<std::size_t>(j)]);
  }
  for (int length = 2; length <= N; length <<= 1) {
    const int stride = N / length;
    for (int start = 0; start < N; start += length)
      for (int k = 0; k < length / 2; ++k) {
        Complex& a = x[static_cast<std::size_t>(start + k)];
        Complex& b = x[static_cast<std::size_t>(start + k + length / 2)];
        const Complex t = Mul(b, twiddles_[static_cast<std::size_t>(k * stride)]);
        b = a - t;
        a = a + t;
      }
  }
}

template class Radix2Fft<CarrierNotch::kFftSize>;

}  // namespace talvir
