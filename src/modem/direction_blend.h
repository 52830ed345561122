#pragma once
// One data block as the forward and the backward equaliser saw it, blended:
// each direction's outputs are taken over its amplitude and weighed by its
// SNR. The blend's own noise is measured on the probe groups around the
// block, blended the same way: the two directions see the same noise, so
// their errors are far from independent.

#include <span>

#include "modem/rls_equaliser.h"
#include "modem/symbol_scale.h"

namespace talvir {

struct DirectionBlend {
  float forward = 0.0f;   // factor on the forward outputs
  float backward = 0.0f;  // factor on the backward outputs
  SymbolScale scale{0.0f, 0.0f};  // of the blended outputs
};

// The fits are those of the probe groups before and after the block.
DirectionBlend BlendDirections(SymbolScale forward, SymbolScale backward,
                               std::span<const RlsEqualiser::ProbeFits, 2> forwardFits,
                               std::span<const RlsEqualiser::ProbeFits, 2> backwardFits);

}  // namespace talvir
