#pragma once
// The matched filter of MSK at the bit boundaries: a half sine spanning the
// two bits around a boundary (19 samples at 24000 samples/s), centred,
// scaled so that a steady carrier keeps its amplitude. On one real plane.

#include <span>

namespace talvir {

// out[i] = sum over m < 19 of tap(m) * in[i + m], for every i < out.size():
// the filter centred on in[i + 9]. `in` must hold out.size() + 18 samples.
void MatchedFilter(std::span<const float> in, std::span<float> out);

}  // namespace talvir
