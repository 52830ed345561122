#pragma once
// What lies between a transmitter and the sound card: ionospheric fading, a
// carrier offset (SSB mistuning), a timing offset, and the receiver's noise
// shaped by its audio passband.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "testbench/carrier_interferer.h"
#include "testbench/dc_offset.h"
#include "testbench/watterson_fading.h"

namespace talvir::testbench {

// A receiver's SSB audio passband; the SNR is the signal power over the noise
// power inside it (3 kHz: the usual HF convention).
inline constexpr double kPassbandLowHz = 300.0;
inline constexpr double kPassbandHighHz = 3300.0;

struct ChannelOptions {
  std::optional<double> snrDb;  // no value: no noise
  // Mean power of the signal while it is on (a tone of peak A has A^2 / 2).
  // 0: measured on the input, from its first to its last non-zero sample.
  double signalPower = 0.0;
  double noiseLowHz = kPassbandLowHz;
  double noiseHighHz = kPassbandHighHz;
  // Noise over the whole 0 .. 24 kHz with the same power inside the band
  // above, as from a receiver whose audio is not cut off.
  bool whiteNoise = false;
  // Another station's steady carrier, its level relative to signalPower.
  std::optional<CarrierInterferer> carrier{};
  FadingPreset fading = FadingPreset::kNone;
  double carrierOffsetHz = 0.0;
  double timingOffsetSeconds = 0.0;  // positive: everything arrives later
  DcOffset dcOffset;                 // under signal and noise alike
  uint64_t seed = 1;
};

// Passes a whole recording at 48000 samples/s through the channel; the
// result has the input's length. Without fading, carrier or timing offset the
// signal passes unchanged and only noise and the DC offset are added. The same options and
// input give the same output.
std::vector<float> ApplyChannel(std::span<const float> input, const ChannelOptions& options);

// The noise alone: band-limited Gaussian noise whose power in the passband
// of `options` is `powerInBand`.
std::vector<float> ShapedNoise(std::size_t count, double powerInBand, const ChannelOptions& options);

// Mean power of `samples` from the first to the last non-zero one; 0 for
// silence.
double ActivePower(std::span<const float> samples);

}  // namespace talvir::testbench
