#include "testbench/airband_scenario.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <cmath>
#include <numbers>

#include "common/decoder_links.h"
#include "testbench/frames/acars_block.h"
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

AirbandScenario AirbandDemoScenario(uint64_t seed) {
  AirbandScenario scenario{.centreMhz = 131.0, .sampleRate = 2.4e6, .noiseRms = 0.01, .seed = seed, .channels = {}};
  const double snrDb[] = {14, 22, 35, 50};
  const double offsetHz[] = {1500, -2500, 0, 800};
  const char* flights[][2] = {{"BA0304", "BA0305"}, {"EI0152", "EI0153"}, {"LH0400", "LH0401"}, {"AF0012", "AF0013"}};
  const char* registrations[] = {".G-EUUB", ".EI-DVM", ".D-AIZA", ".F-GKXA"};
  for (std::size_t c = 0; c < std::size(kAirbandDemoChannelsMhz); ++c) {
    AirbandChannelSignal channel{
        .frequencyMhz = kAirbandDemoChannelsMhz[c], .snrDb = snrDb[c], .offsetHz = offsetHz[c], .transmissions = {}};
    for (std::size_t m = 0; m < 2; ++m) {
      const std::string flight = flights[c][m];
      const std::vector<uint8_t> block = BuildVhfAcarsBlock({.registration = registrations[c], .label = "5Z",
                                                             .messageNumber = "M01A", .flightId = flight,
                                                             .text = "/DUB OS ETA1712 STAND 30" + std::to_string(c)});
      channel.transmissions.push_back(
          {.startSeconds = 0.1 + 0.25 * static_cast<double>(c) + 1.2 * static_cast<double>(m), .block = block,
           .flightId = flight});
    }
    scenario.channels.push_back(channel);
  }
  scenario.channels.push_back(
      {.frequencyMhz = 131.550, .snrDb = 55, .transmissions = {{.startSeconds = 0.2,
                                                                .block = BuildVhfAcarsBlock({.registration = ".N123AB",
                                                                                             .label = "H1",
                                                                                             .messageNumber = "M02A",
                                                                                             .flightId = "UA0001",
                                                                                             .text = "NEIGHBOUR"}),
                                                                .flightId = "UA0001"}}});
  return scenario;
}

std::size_t WriteCs16File(const std::filesystem::path& path, std::span<const std::complex<float>> band) {
  std::vector<uint8_t> bytes(band.size() * 4);
  std::size_t clipped = 0;
  const auto put = [&](std::size_t at, float value) {
    const float scaled = std::round(value * 32767.0f);
    const float limited = std::clamp(scaled, -32768.0f, 32767.0f);
    clipped += limited != scaled ? 1 : 0;
    const auto word = static_cast<uint16_t>(static_cast<int16_t>(limited));
    bytes[at] = static_cast<uint8_t>(word & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>(word >> 8);
  };
  for (std::size_t n = 0; n < band.size(); ++n) {
    put(4 * n, band[n].real());
    put(4 * n + 2, band[n].imag());
  }
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
  return clipped;
}

}  // namespace talvir::testbench
