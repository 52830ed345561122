#pragma once
// What an SDR tuned to an HF band hears: complex I/Q around a centre
// frequency with several HFDL channels in it, each with its own bursts, level,
// fading and tuning error, under noise spread over the whole band.

#include <complex>
#include <cstdint>
#include <vector>

#include "testbench/watterson_fading.h"

namespace talvir::testbench {

struct HfdlBandBurst {
  double startSeconds = 0.0;
  int rateCode = 0;
  std::vector<uint8_t> frame;
};

struct HfdlBandChannel {
  double dialKhz = 0.0;   // the channel's listed frequency; the carrier is 1440 Hz above
  double snrDb = 20.0;    // burst power over the noise in 3 kHz
  FadingPreset fading = FadingPreset::kNone;
  double carrierOffsetHz = 0.0;  // the ground station's or aircraft's error
  std::vector<HfdlBandBurst> bursts;
};

// The bandwidth an SNR is measured in, as for audio.
inline constexpr double kHfdlNoiseBandwidthHz = 3000.0;

struct HfdlBandScenario {
  double centreKhz = 8900.0;
  double sampleRate = 250000.0;
  double durationSeconds = 0.0;  // 0: a second after the last burst
  double noiseRms = 0.01;        // of the complex noise over the whole band
  uint64_t seed = 1;
  std::vector<HfdlBandChannel> channels;
};

// The band's I/Q, the same for the same scenario and seed.
std::vector<std::complex<float>> RenderHfdlBand(const HfdlBandScenario& scenario);

// About 18 s of an SDR tuned to 8950 kHz at 96000 samples/s: the demo's
// ground station and its aircraft on 8912 kHz, two other stations'
// squitters on 8942 and 8977 kHz (the latter also some of the demo's
// aircraft traffic), at different levels and fading.
HfdlBandScenario HfdlBandDemoScenario(uint64_t seed);
inline constexpr double kHfdlBandDemoCentreKhz = 8950.0;
inline constexpr double kHfdlBandDemoDialsKhz[] = {8912.0, 8942.0, 8977.0};

}  // namespace talvir::testbench
