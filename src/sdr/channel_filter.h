#pragma once
// The low-pass every channel of a cutter shares: a Kaiser-windowed sinc,
// flat to within 0.01 dB up to its pass edge and kStopbandDb down from its
// stop edge.

#include <cstddef>
#include <vector>

namespace talvir {

inline constexpr double kStopbandDb = 70.0;

// Taps that a Kaiser window needs for that transition at that rate.
std::size_t LowPassTapsFor(double passHz, double stopHz, double rate);

// `taps` coefficients, cut-off halfway between the edges, unity gain at 0 Hz.
std::vector<float> DesignLowPass(double passHz, double stopHz, double rate, std::size_t taps);

}  // namespace talvir
