#include "testbench/airband_scenario.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/decoder_links.h"
#include "testbench/gaussian_source.h"
#include "testbench/msk_modulator.h"

namespace talvir::testbench {
namespace {

constexpr double kTailSeconds = 0.5;
constexpr uint64_t kNoiseStream = 0xA1B0;

// Adds one keyed AM transmission: the carrier on for as long as its audio
// lasts, the audio (full scale = full depth) read between its 48000/s
// samples.
void AddTransmission(const AirbandScenario& scenario, const AirbandChannelSignal& channel,
                     const AirbandTransmission& transmission, double carrier,
                     std::vector<std::complex<float>>& band) {
  const std::vector<float> audio = ModulateVhfAcars(transmission.block, {.amplitude = 1.0f});
  const double rate = scenario.sampleRate;
  const auto first = static_cast<std::size_t>(std::lround(transmission.startSeconds * rate));
  const auto length = static_cast<std::size_t>(static_cast<double>(audio.size() - 1) * rate / kSampleRate);
  const double hz = (channel.frequencyMhz - scenario.centreMhz) * 1e6 + channel.offsetHz;
  const std::complex<double> step = std::polar(1.0, 2.0 * std::numbers::pi * hz / rate);
  std::complex<double> rotor = std::polar(carrier, 2.0 * std::numbers::pi * hz * static_cast<double>(first) / rate);
  for (std::size_t n = 0; n < length && first + n < band.size(); ++n) {
    const double at = static_cast<double>(n) * kSampleRate / rate;
    const auto i = static_cast<std::size_t>(at);
    const double fraction = at - static_cast<double>(i);
    const double value = (1.0 - fraction) * static_cast<double>(audio[i]) + fraction * static_cast<double>(audio[i + 1]);
    band[first + n] += std::complex<float>(rotor * (1.0 + channel.depth * value));
    rotor *= step;
    if ((n & 0xFFFF) == 0) rotor *= carrier / std::abs(rotor);
  }
}

}  // namespace

std::vector<std::complex<float>> RenderAirband(const AirbandScenario& scenario) {
  double seconds = scenario.durationSeconds;
  if (seconds <= 0.0) {
    for (const AirbandChannelSignal& channel : scenario.channels) {
      for (const AirbandTransmission& t : channel.transmissions) {
        const double length = static_cast<double>(ModulateVhfAcars(t.block).size()) / kSampleRate;
        seconds = std::max(seconds, t.startSeconds + length + kTailSeconds);
      }
    }
  }
  std::vector<std::complex<float>> band(static_cast<std::size_t>(seconds * scenario.sampleRate));
  GaussianSource noise(MixSeed(scenario.seed, kNoiseStream));
  for (std::complex<float>& sample : band) sample = std::complex<float>(scenario.noiseRms * noise.NextComplex());

  // The noise in the measuring bandwidth is that share of all of it.
  const double noisePower = scenario.noiseRms * scenario.noiseRms * kAirbandNoiseBandwidthHz / scenario.sampleRate;
  for (const AirbandChannelSignal& channel : scenario.channels) {
    const double carrier = std::sqrt(noisePower * std::pow(10.0, channel.snrDb / 10.0));
    for (const AirbandTransmission& transmission : channel.transmissions) {
      AddTransmission(scenario, channel, transmission, carrier, band);
    }
  }
  return band;
}

}  // namespace talvir::testbench
