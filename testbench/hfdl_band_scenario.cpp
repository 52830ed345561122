#include "testbench/hfdl_band_scenario.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/decoder_links.h"
#include "modem/hfdl_phy.h"
#include "testbench/frames/demo_traffic.h"
#include "testbench/frames/squitter_builder.h"
#include "testbench/gaussian_source.h"
#include "testbench/hf_channel.h"
#include "testbench/hfdl_modulator.h"

namespace talvir::testbench {
namespace {

constexpr double kTailSeconds = 1.0;
constexpr uint64_t kNoiseStream = 0xB4D0;
constexpr uint64_t kFadingStream = 0xFAD0;
// The envelope's low-pass at 48000/s: the burst's 2.4 kHz kept, the image
// 2880 Hz away stopped.
constexpr int kEnvelopeTaps = 255;
constexpr double kEnvelopeCutoffHz = 2000.0;

double Length(const HfdlBandBurst& burst) {
  return static_cast<double>(ModulateHfdlBurst(burst.frame, burst.rateCode).size()) / kSampleRate;
}

// The channel's audio as an SSB receiver gives it, faded, at 48000/s.
std::vector<float> ChannelAudio(const HfdlBandChannel& channel, std::size_t samples, uint64_t seed) {
  std::vector<float> audio(samples);
  for (const HfdlBandBurst& burst : channel.bursts) {
    const std::vector<float> signal =
        ModulateHfdlBurst(burst.frame, burst.rateCode, {.amplitude = 1.0f, .carrierOffsetHz = channel.carrierOffsetHz});
    const auto first = static_cast<std::size_t>(std::lround(burst.startSeconds * kSampleRate));
    for (std::size_t n = 0; n < signal.size() && first + n < audio.size(); ++n) audio[first + n] += signal[n];
  }
  return ApplyChannel(audio, {.fading = channel.fading, .seed = seed});
}

// The audio's complex envelope about the 1440 Hz carrier.
std::vector<std::complex<float>> Envelope(const std::vector<float>& audio) {
  std::vector<double> taps(kEnvelopeTaps);
  const double fc = kEnvelopeCutoffHz / kSampleRate;
  for (int k = 0; k < kEnvelopeTaps; ++k) {
    const double u = k - (kEnvelopeTaps - 1) / 2.0;
    const double sinc = u == 0 ? 2 * fc : std::sin(2 * std::numbers::pi * fc * u) / (std::numbers::pi * u);
    const double hann = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * k / (kEnvelopeTaps - 1));
    taps[static_cast<std::size_t>(k)] = 2.0 * sinc * hann;  // 2: the envelope keeps the audio's amplitude
  }
  std::vector<std::complex<double>> mixed(audio.size());
  const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi * hfdl::kCarrierHz / kSampleRate);
  std::complex<double> rotor = 1.0;
  for (std::size_t n = 0; n < audio.size(); ++n, rotor *= step) mixed[n] = rotor * static_cast<double>(audio[n]);
  std::vector<std::complex<float>> envelope(audio.size());
  const std::size_t half = (kEnvelopeTaps - 1) / 2;
  // Silence far from any burst stays silence without the filter's work.
  std::vector<std::size_t> sounding(audio.size() + 1);
  for (std::size_t n = 0; n < audio.size(); ++n) sounding[n + 1] = sounding[n] + (audio[n] != 0.0f ? 1 : 0);
  for (std::size_t n = 0; n < audio.size(); ++n) {
    const std::size_t low = n > half ? n - half : 0;
    const std::size_t high = std::min(n + half + 1, audio.size());
    if (sounding[high] == sounding[low]) continue;
    std::complex<double> sum = 0.0;
    for (std::size_t k = 0; k < taps.size(); ++k) {
      const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(n + half) - static_cast<std::ptrdiff_t>(k);
      if (at >= 0 && at < static_cast<std::ptrdiff_t>(audio.size())) sum += taps[k] * mixed[static_cast<std::size_t>(at)];
    }
    envelope[n] = std::complex<float>(sum);
  }
  return envelope;
}

double ActiveComplexPower(const std::vector<std::complex<float>>& samples) {
  double sum = 0.0;
  std::size_t active = 0;
  for (const auto z : samples) {
    if (z == std::complex<float>{}) continue;
    sum += static_cast<double>(std::norm(z));
    ++active;
  }
  return active == 0 ? 0.0 : sum / static_cast<double>(active);
}

}  // namespace

std::vector<std::complex<float>> RenderHfdlBand(const HfdlBandScenario& scenario) {
  double seconds = scenario.durationSeconds;
  if (seconds <= 0.0) {
    for (const HfdlBandChannel& channel : scenario.channels)
      for (const HfdlBandBurst& burst : channel.bursts) seconds = std::max(seconds, burst.startSeconds + Length(burst) + kTailSeconds);
  }
  const double rate = scenario.sampleRate;
  std::vector<std::complex<float>> band(static_cast<std::size_t>(seconds * rate));
  GaussianSource noise(MixSeed(scenario.seed, kNoiseStream));
  for (std::complex<float>& sample : band) sample = std::complex<float>(scenario.noiseRms * noise.NextComplex());

  const double noisePower = scenario.noiseRms * scenario.noiseRms * kHfdlNoiseBandwidthHz / rate;
  const auto audioSamples = static_cast<std::size_t>(seconds * kSampleRate) + 2;
  for (std::size_t c = 0; c < scenario.channels.size(); ++c) {
    const HfdlBandChannel& channel = scenario.channels[c];
    const std::vector<std::complex<float>> envelope =
        Envelope(ChannelAudio(channel, audioSamples, MixSeed(scenario.seed, kFadingStream + c)));
    const double power = ActiveComplexPower(envelope);
    if (power == 0.0) continue;
    const double gain = std::sqrt(noisePower * std::pow(10.0, channel.snrDb / 10.0) / power);
    // The carrier's place in the band; the envelope read between its
    // 48000/s samples.
    const double hz = (channel.dialKhz - scenario.centreKhz) * 1000.0 + hfdl::kCarrierHz;
    const std::complex<double> step = std::polar(1.0, 2 * std::numbers::pi * hz / rate);
    std::complex<double> rotor = gain;
    for (std::size_t n = 0; n < band.size(); ++n, rotor *= step) {
      if ((n & 0xFFFF) == 0) rotor *= gain / std::abs(rotor);
      const double at = static_cast<double>(n) * kSampleRate / rate;
      const auto i = static_cast<std::size_t>(at);
      if (i + 1 >= envelope.size()) break;
      const std::complex<float> a = envelope[i];
      const std::complex<float> b = envelope[i + 1];
      if (a == std::complex<float>{} && b == std::complex<float>{}) continue;
      const auto fraction = static_cast<float>(at - static_cast<double>(i));
      band[n] += std::complex<float>(rotor * std::complex<double>(a + fraction * (b - a)));
    }
  }
  return band;
}

HfdlBandScenario HfdlBandDemoScenario(uint64_t seed) {
  constexpr double kSlotSeconds = 32.0 / 13.0;
  constexpr int kLastSlot = 6;  // the demo's first seven slots: about 17 s
  HfdlBandScenario scenario{.centreKhz = kHfdlBandDemoCentreKhz, .sampleRate = 96000.0, .seed = seed};
  const double snrDb[] = {22.0, 28.0, 16.0};
  const FadingPreset fading[] = {FadingPreset::kModerate, FadingPreset::kQuiet, FadingPreset::kModerate};
  for (int c = 0; c < 3; ++c) {
    scenario.channels.push_back({.dialKhz = kHfdlBandDemoDialsKhz[c], .snrDb = snrDb[c], .fading = fading[c],
                                 .carrierOffsetHz = 12.0 * (c - 1)});
  }
  const DemoTraffic demo = BuildDemoTraffic();
  for (const DemoBurst& burst : demo.bursts) {
    const double start = 0.1 + burst.slot * kSlotSeconds;
    if (burst.frameNumber == 0 && burst.slot <= kLastSlot) {
      scenario.channels[0].bursts.push_back({start, burst.rateCode, burst.frame});
    } else if (burst.frameNumber == 1 && burst.slot >= 2 && burst.slot <= kLastSlot) {
      scenario.channels[2].bursts.push_back({start, burst.rateCode, burst.frame});
    }
  }
  // Two other stations' squitters, in slot 0 as on the air.
  for (int c = 1; c < 3; ++c) {
    SquitterFields fields;
    fields.stations[0] = {.id = c == 1 ? 3 : 4, .utcSynced = true, .frequencyMask = 1U << c};
    fields.frameIndex = 1200;
    scenario.channels[c].bursts.push_back({0.1, 6, BuildSquitter(fields)});
  }
  for (HfdlBandChannel& channel : scenario.channels) {
    std::sort(channel.bursts.begin(), channel.bursts.end(),
              [](const HfdlBandBurst& a, const HfdlBandBurst& b) { return a.startSeconds < b.startSeconds; });
  }
  return scenario;
}

}  // namespace talvir::testbench
