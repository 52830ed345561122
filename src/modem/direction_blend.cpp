#include "modem/direction_blend.h"

namespace talvir {

DirectionBlend BlendDirections(SymbolScale forward, SymbolScale backward,
                               std::span<const RlsEqualiser::ProbeFits, 2> forwardFits,
                               std::span<const RlsEqualiser::ProbeFits, 2> backwardFits) {
  // A direction with no amplitude (silent probes) takes no part.
  const float snrForward = forward.amplitude > 0.0f ? forward.Snr() : 0.0f;
  const float snrBackward = backward.amplitude > 0.0f ? backward.Snr() : 0.0f;
  const float total = snrForward + snrBackward;
  DirectionBlend blend;
  if (!(total > 0.0f)) return blend;
  blend.forward = snrForward / total / (forward.amplitude > 0.0f ? forward.amplitude : 1.0f);
  blend.backward = snrBackward / total / (backward.amplitude > 0.0f ? backward.amplitude : 1.0f);
  for (std::size_t g = 0; g < 2; ++g) {
    RlsEqualiser::ProbeFits fits{};
    for (std::size_t i = 0; i < fits.size(); ++i) fits[i] = blend.forward * forwardFits[g][i] + blend.backward * backwardFits[g][i];
    const SymbolScale s = RlsEqualiser::FitProbes(fits);
    blend.scale.amplitude += 0.5f * s.amplitude;
    blend.scale.noiseVariance += 0.5f * s.noiseVariance;
  }
  return blend;
}

}  // namespace talvir
