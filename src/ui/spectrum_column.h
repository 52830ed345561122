#pragma once
// One waterfall column from the first 128 samples of a capture block: a
// gently tapered 128-point transform and 64 grey levels, top row 24 kHz.

#include <array>
#include <complex>
#include <span>

namespace talvir {

inline constexpr int kSpectrumPoints = 128;
inline constexpr int kSpectrumRows = kSpectrumPoints / 2;

class SpectrumColumn {
 public:
  SpectrumColumn();

  // samples: at least kSpectrumPoints; only the first are used.
  void Process(std::span<const float> samples, float gain);
  // 20 × gain × log10(power + 1) per row, unbounded.
  const std::array<float, kSpectrumRows>& levels() const { return levels_; }

 private:
  std::array<float, kSpectrumPoints> window_{};
  std::array<std::complex<float>, kSpectrumPoints / 2> twiddles_{};
  std::array<int, kSpectrumPoints> bitReversed_{};
  std::array<std::complex<float>, kSpectrumPoints> bins_{};
  std::array<float, kSpectrumRows> levels_{};
};

}  // namespace talvir
