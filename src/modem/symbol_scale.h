#pragma once
// What a clean point and the noise look like at the equaliser's output,
// measured on the probe symbols around a data block; the soft decisions
// weigh each symbol by it.

#include <algorithm>
#include <limits>

namespace talvir {

struct SymbolScale {
  float amplitude = 0.1f;       // of a point, nominally the 0.1 the equaliser aims for
  float noiseVariance = 0.01f;  // E|n|^2 of the complex noise

  float Snr() const { return amplitude * amplitude / std::max(noiseVariance, std::numeric_limits<float>::min()); }
};

}  // namespace talvir
