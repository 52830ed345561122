#include "vhf/low_pass_decimator.h"

#include <algorithm>
#include <array>
#include <cassert>

#include "vhf/acars_msk.h"

namespace talvir {

namespace {

// Folded on the filter's symmetry: tap 2j+1 equals tap 62-2j, so
// out[i] = sum over j < 32 of tap(2j) * (even[i + j] + odd[i + 31 - j]).
constexpr int kFoldedTaps = kVhfFilterTaps / 2;
constexpr std::array<float, kFoldedTaps> MakeEvenTaps() {
  std::array<float, kFoldedTaps> taps{};
  for (int j = 0; j < kFoldedTaps; ++j) taps[static_cast<std::size_t>(j)] = VhfFilterTap(2 * j);
  return taps;
}
constexpr std::array<float, kFoldedTaps> kEvenTaps = MakeEvenTaps();

}  // namespace

// Tap by tap over the whole block, so that the inner loop runs over
// contiguous outputs and vectorises without reordering any sum.
void LowPassDecimate(std::span<const float> even, std::span<const float> odd, std::span<float> out) {
  assert(even.size() >= out.size() + kFoldedTaps - 1 && odd.size() >= out.size() + kFoldedTaps - 1);
  std::fill(out.begin(), out.end(), 0.0f);
  float* __restrict result = out.data();
  const std::size_t count = out.size();
  for (int j = 0; j < kFoldedTaps; ++j) {
    const float tap = kEvenTaps[static_cast<std::size_t>(j)];
    const float* __restrict e = even.data() + j;
    const float* __restrict o = odd.data() + (kFoldedTaps - 1 - j);
    for (std::size_t i = 0; i < count; ++i) result[i] += tap * (e[i] + o[i]);
  }
}

}  // namespace talvir
