#pragma once
// What a clean point and the noise look like at the equaliser's output,
// measured on the probe symbols around a data block; the soft decisions
// weigh each symbol by it.

namespace talvir {

struct SymbolScale {
  float amplitude = 0.1f;       // of a point, nominally the 0.1 the equaliser aims for
  float noiseVariance = 0.01f;  // E|n|^2 of the complex noise
};

}  // namespace talvir
