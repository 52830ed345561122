#include "modem/soft_slicer.h"

#include <cmath>
#include <span>

#include "modem/constellation_ring.h"
#include "modem/deinterleaver.h"

namespace talvir {

namespace {

SoftDecision Decide(Complex z, std::span<const hfdl::Point> points) {
  int best = 0;
  float bestValue = 0.0f;
  for (int k = 0; k < static_cast<int>(points.size()); ++k) {
    float c = MulConj(z, points[static_cast<std::size_t>(k)]).real();
    if (k == 0) {
      bestValue = c < 0.0f ? 0.0f : c;
    } else if (c > bestValue) {
      bestValue = c;
      best = k;
    }
  }
  const Complex error = points[static_cast<std::size_t>(best)] - z;
  return {best, std::fabs(1.0f - std::sqrt(Norm(error)))};
}

int WriteBits(const SoftDecision& d, int bits, Deinterleaver& deinterleaver) {
  for (int b = bits - 1; b >= 0; --b) deinterleaver.Write(((d.index >> b) & 1) ? -d.magnitude : d.magnitude);
  return bits;
}

}  // namespace

SoftDecision DecideBpsk(Complex z) { return Decide(z, hfdl::kBpskPoints); }
SoftDecision DecideQpsk(Complex z) { return Decide(z, hfdl::kQpskPoints); }
SoftDecision Decide8psk(Complex z) { return Decide(z, hfdl::k8pskPoints); }

int SliceBpsk(Complex z, Deinterleaver& deinterleaver, ConstellationRing& ring) {
  ring.Push(z);
  return WriteBits(DecideBpsk(z), 1, deinterleaver);
}

int SliceQpsk(Complex z, Deinterleaver& deinterleaver, ConstellationRing& ring) {
  ring.Push(z);
  return WriteBits(DecideQpsk(z), 2, deinterleaver);
}

// The ring keeps showing the preamble's training outputs during 8PSK bursts.
int Slice8psk(Complex z, Deinterleaver& deinterleaver, ConstellationRing& /*ring*/) {
  return WriteBits(Decide8psk(z), 3, deinterleaver);
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
