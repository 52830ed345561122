#pragma once
// Hard decision on an equalised, descrambled symbol and its reliability: each
// coded bit of the decided point becomes +m (bit 0) or -m (bit 1), where m
// shrinks from about 0.1 for a clean symbol towards 0 near the origin.

#include "modem/complex_math.h"
#include "modem/hfdl_phy.h"

namespace talvir {

class ConstellationRing;
class Deinterleaver;

struct SoftDecision {
  int index = 0;      // constellation point, its bits MSB first
  float magnitude = 0.0f;  // m
};

// Decision rule shared by the three slicers.
SoftDecision DecideBpsk(Complex z);
SoftDecision DecideQpsk(Complex z);
SoftDecision Decide8psk(Complex z);

// The slicers of the rate codes: write 1, 2 or 3 soft bits and return how
// many. BPSK and QPSK symbols are also shown in the constellation ring.
int SliceBpsk(Complex z, Deinterleaver& deinterleaver, ConstellationRing& ring);
int SliceQpsk(Complex z, Deinterleaver& deinterleaver, ConstellationRing& ring);
int Slice8psk(Complex z, Deinterleaver& deinterleaver, ConstellationRing& ring);

using SoftSlicer = int (*)(Complex, Deinterleaver&, ConstellationRing&);
SoftSlicer SlicerFor(int rateCode);

}  // namespace talvir
