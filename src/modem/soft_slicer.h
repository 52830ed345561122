#pragma once
// Soft bits from an equalised, descrambled symbol: each coded bit gets its own
// log-likelihood ratio (max-log), from the distances to the nearest points
// that carry a 0 and a 1 in that bit, over the noise measured on the probes
// around the symbol. Positive values favour 0; the magnitude is how sure.

#include <span>

#include "modem/complex_math.h"
#include "modem/hfdl_phy.h"
#include "modem/symbol_scale.h"

namespace talvir {

class Deinterleaver;

// Log-likelihood ratio of bit `bit` (0 = least significant) of the
// constellation index.
float BitLikelihood(Complex z, SymbolScale scale, std::span<const hfdl::Point> points, int bit);

// The slicers of the rate codes: write 1, 2 or 3 soft bits, most significant
// first, and return how many.
int SliceBpsk(Complex z, SymbolScale scale, Deinterleaver& deinterleaver);
int SliceQpsk(Complex z, SymbolScale scale, Deinterleaver& deinterleaver);
int Slice8psk(Complex z, SymbolScale scale, Deinterleaver& deinterleaver);

using SoftSlicer = int (*)(Complex, SymbolScale, Deinterleaver&);
SoftSlicer SlicerFor(int rateCode);

}  // namespace talvir
