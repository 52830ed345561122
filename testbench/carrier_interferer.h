#pragma once
// A steady carrier in the receiver's passband: another station's unmodulated
// carrier or tone, at a level relative to the wanted signal, drifting slowly.

#include <span>

namespace talvir::testbench {

struct CarrierInterferer {
  double frequencyHz = 1840.0;     // audio frequency at the start
  double levelDb = 0.0;            // its power over the signal's power
  double driftHzPerSecond = 0.0;   // slow drift of the frequency
  double phase = 0.0;              // radians at the first sample
};

// Adds the carrier to `audio` (48000 samples/s), with a power of
// `signalPower` times the asked level.
void AddCarrier(std::span<float> audio, const CarrierInterferer& carrier, double signalPower);

}  // namespace talvir::testbench
