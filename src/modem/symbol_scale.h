#pragma once
// What a clean point and the noise look like at the equaliser's output,
// measured on the probe symbols around a data block; the soft decisions
// weigh each symbol by it.

#include <algorithm>
#include <limits>
#include <span>

namespace talvir {

struct SymbolScale {
  float amplitude = 0.1f;       // of a point, nominally the 0.1 the equaliser aims for
  float noiseVariance = 0.01f;  // E|n|^2 of the complex noise

  float Snr() const { return amplitude * amplitude / std::max(noiseVariance, std::numeric_limits<float>::min()); }
};

// The mean amplitude and noise of scales[centre - span .. centre + span],
// the window cut at both ends of the span of scales.
inline SymbolScale MeanScale(std::span<const SymbolScale> scales, int centre, int span) {
  const int first = std::max(centre - span, 0);
  const int last = std::min(centre + span, static_cast<int>(scales.size()) - 1);
  SymbolScale mean{0.0f, 0.0f};
  if (last < first) return mean;
  for (int k = first; k <= last; ++k) {
    mean.amplitude += scales[static_cast<std::size_t>(k)].amplitude;
    mean.noiseVariance += scales[static_cast<std::size_t>(k)].noiseVariance;
  }
  const auto count = static_cast<float>(last - first + 1);
  return {mean.amplitude / count, mean.noiseVariance / count};
}

}  // namespace talvir
