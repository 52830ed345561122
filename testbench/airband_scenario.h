#pragma once
// What an SDR tuned to the airband hears: a stretch of complex I/Q around a
// centre frequency with several ACARS channels in it, each an AM carrier
// keyed for every transmission and modulated by its MSK audio, at its own
// level and with its transmitter's frequency error, under noise spread over
// the whole band.

#include <complex>
#include <span>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace talvir::testbench {

struct AirbandTransmission {
  double startSeconds = 0.0;
  std::vector<uint8_t> block;  // SOH .. ETX or ETB, BCS, DEL
  std::string flightId;        // what the block says, for checking
};

struct AirbandChannelSignal {
  double frequencyMhz = 0.0;
  double snrDb = 30.0;       // carrier to the noise in kAirbandNoiseBandwidthHz
  double offsetHz = 0.0;     // the transmitter's error
  double depth = 0.8;        // AM modulation depth
  std::vector<AirbandTransmission> transmissions;
};

// The bandwidth an SNR is measured in: about what an AM receiver passes.
inline constexpr double kAirbandNoiseBandwidthHz = 10000.0;

struct AirbandScenario {
  double centreMhz = 131.0;
  double sampleRate = 2.4e6;
  double durationSeconds = 0.0;  // 0: half a second after the last transmission
  double noiseRms = 0.01;        // of the complex noise over the whole band
  uint64_t seed = 1;
  std::vector<AirbandChannelSignal> channels;
};

// The band's I/Q, the same for the same scenario and seed.
std::vector<std::complex<float>> RenderAirband(const AirbandScenario& scenario);

// A few seconds around 131 MHz at 2.4 MS/s: four ACARS channels from weak to
// strong, each a little off its frequency, two messages on each, and a
// strong transmission on 131.550 MHz, which is not an ACARS channel.
AirbandScenario AirbandDemoScenario(uint64_t seed);
inline constexpr double kAirbandDemoChannelsMhz[] = {131.525, 131.725, 130.025, 131.825};

// Raw I/Q as SDR programs write it: interleaved signed 16-bit little-endian
// I and Q, full scale 1.0. Returns the samples clipped; throws
// std::runtime_error naming the file when it cannot be written.
std::size_t WriteCs16File(const std::filesystem::path& path, std::span<const std::complex<float>> band);

}  // namespace talvir::testbench
