#include "modem/soft_slicer.h"

#include <algorithm>
#include <limits>
#include <span>

#include "modem/deinterleaver.h"

namespace talvir {

namespace {

// The noise is never taken below 30 dB under the points: a few very sure bits
// must not outweigh everything else the decoder sees.
constexpr float kMinNoiseShare = 1e-3f;

float LikelihoodScale(SymbolScale scale) {
  const float a = scale.amplitude;
  const float noise = std::max(scale.noiseVariance, kMinNoiseShare * a * a);
  // Silent probes (the signal gone) tell nothing.
  return noise > 0.0f ? 2.0f * a / noise : 0.0f;
}

int WriteLikelihoods(Complex z, SymbolScale scale, std::span<const hfdl::Point> points, int bits,
                     Deinterleaver& deinterleaver) {
  for (int b = bits - 1; b >= 0; --b) deinterleaver.Write(BitLikelihood(z, scale, points, b));
  return bits;
}

}  // namespace

// With |z - A p|^2 = |z|^2 - 2 A Re(z p*) + A^2 the max-log ratio is 2 A / s^2
// times the best correlation with a point whose bit is 0 minus the best with
// one whose bit is 1.
float BitLikelihood(Complex z, SymbolScale scale, std::span<const hfdl::Point> points, int bit) {
  float best0 = -std::numeric_limits<float>::max();
  float best1 = -std::numeric_limits<float>::max();
  for (std::size_t k = 0; k < points.size(); ++k) {
    float& best = (k >> bit) & 1 ? best1 : best0;
    best = std::max(best, MulConj(z, points[k]).real());
  }
  return LikelihoodScale(scale) * (best0 - best1);
}

int SliceBpsk(Complex z, SymbolScale scale, Deinterleaver& deinterleaver) {
  return WriteLikelihoods(z, scale, hfdl::kBpskPoints, 1, deinterleaver);
}

int SliceQpsk(Complex z, SymbolScale scale, Deinterleaver& deinterleaver) {
  return WriteLikelihoods(z, scale, hfdl::kQpskPoints, 2, deinterleaver);
}

int Slice8psk(Complex z, SymbolScale scale, Deinterleaver& deinterleaver) {
  return WriteLikelihoods(z, scale, hfdl::k8pskPoints, 3, deinterleaver);
}

SoftSlicer SlicerFor(int rateCode) {
  switch (hfdl::Rate(rateCode).modulation) {
    case hfdl::Modulation::k8psk: return Slice8psk;
    case hfdl::Modulation::kQpsk: return SliceQpsk;
    case hfdl::Modulation::kBpsk: return SliceBpsk;
  }
  return SliceBpsk;
}

}  // namespace talvir
