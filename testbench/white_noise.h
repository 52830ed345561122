#pragma once
// Receiver noise that is not cut off above the SSB passband: white from 0 Hz
// to the Nyquist frequency, as from a sound card or SDR program whose audio
// runs to 24 kHz.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace talvir::testbench {

// Gaussian white noise whose power inside a band of `bandwidthHz` is
// `powerInBand`; the same seed gives the same samples.
std::vector<float> WhiteNoise(std::size_t count, double powerInBand, double bandwidthHz, uint64_t seed);

}  // namespace talvir::testbench
