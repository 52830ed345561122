#include "vhf/matched_filter.h"

#include <array>
#include <cassert>
#include <cmath>
#include <numbers>

#include "vhf/acars_msk.h"

namespace talvir {

namespace {

const std::array<float, kVhfMatchedFilterTaps> kTaps = [] {
  std::array<double, kVhfMatchedFilterTaps> shape{};
  double energy = 0.0;
  for (std::size_t m = 0; m < shape.size(); ++m) {
    const double fromCentre = static_cast<double>(m) - (kVhfMatchedFilterTaps - 1) / 2;
    shape[m] = std::cos(std::numbers::pi * fromCentre / (2.0 * kVhfSamplesPerBit));
    energy += shape[m] * shape[m];
  }
  std::array<float, kVhfMatchedFilterTaps> taps{};
  for (std::size_t m = 0; m < taps.size(); ++m) taps[m] = static_cast<float>(shape[m] / energy);
  return taps;
}();

}  // namespace

// Tap by tap over the whole block, so that the inner loop vectorises, and
// folded on the symmetry: tap 18-m equals tap m.
void MatchedFilter(std::span<const float> in, std::span<float> out) {
  assert(in.size() >= out.size() + kVhfMatchedFilterTaps - 1);
  constexpr std::size_t kCentre = kVhfMatchedFilterDelay;
  float* __restrict result = out.data();
  const float* __restrict centre = in.data() + kCentre;
  for (std::size_t i = 0; i < out.size(); ++i) result[i] = kTaps[kCentre] * centre[i];
  for (std::size_t m = 0; m < kCentre; ++m) {
    const float tap = kTaps[m];
    const float* __restrict early = in.data() + m;
    const float* __restrict late = in.data() + (kVhfMatchedFilterTaps - 1 - m);
    for (std::size_t i = 0; i < out.size(); ++i) result[i] += tap * (early[i] + late[i]);
  }
}

}  // namespace talvir
