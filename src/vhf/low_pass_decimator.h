#pragma once
// The demodulator's 64-tap low-pass and decimation by 2, on input held as its
// even- and odd-indexed samples (one real plane: I and Q run separately).

#include <span>

namespace talvir {

// out[i] = sum over k < 64 of tap(k) * m[2i + k] for every i < out.size(),
// where m[2t] = even[t] and m[2t + 1] = odd[t]. Both input planes must hold
// out.size() + 31 samples.
void LowPassDecimate(std::span<const float> even, std::span<const float> odd, std::span<float> out);

}  // namespace talvir
