#include "testbench/carrier_interferer.h"

#include <cmath>
#include <numbers>

#include "common/decoder_links.h"

namespace talvir::testbench {

void AddCarrier(std::span<float> audio, const CarrierInterferer& carrier, double signalPower) {
  // A tone of peak a has the power a^2 / 2.
  const double amplitude = std::sqrt(2.0 * signalPower * std::pow(10.0, carrier.levelDb / 10.0));
  constexpr double kStep = 1.0 / kSampleRate;
  for (std::size_t n = 0; n < audio.size(); ++n) {
    // Phase of a linear sweep from the sample index, so nothing accumulates.
    const double t = static_cast<double>(n) * kStep;
    const double cycles = carrier.frequencyHz * t + 0.5 * carrier.driftHzPerSecond * t * t;
    const double phase = 2.0 * std::numbers::pi * (cycles - std::floor(cycles)) + carrier.phase;
    audio[n] += static_cast<float>(amplitude * std::cos(phase));
  }
}

}  // namespace talvir::testbench
