#include "testbench/hf_channel.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "common/decoder_links.h"
#include "testbench/fft_filter.h"
#include "testbench/gaussian_source.h"
#include "testbench/white_noise.h"

namespace talvir::testbench {
namespace {

constexpr double kRate = kSampleRate;
// The signal's analytic filter passes all of the audio band that matters.
constexpr double kAnalyticLowHz = 40.0;
constexpr double kAnalyticHighHz = 3560.0;
constexpr int kAnalyticTaps = 1023;
// Noise filter: sharp enough (65 Hz half transition) that widening its band
// by kNoiseEdgeHz on both sides leaves the asked passband flat.
constexpr int kNoiseTaps = 2047;
constexpr double kNoiseEdgeHz = 80.0;

enum SeedStream : uint64_t { kNoiseStream = 1, kFadingStream = 2 };

bool NeedsAnalyticPath(const ChannelOptions& options) {
  return options.fading != FadingPreset::kNone || options.carrierOffsetHz != 0.0 || options.timingOffsetSeconds != 0.0;
}

// Fading, carrier offset and timing offset act on the analytic signal.
std::vector<float> Propagate(std::span<const float> input, const ChannelOptions& options) {
  const double delaySamples = options.timingOffsetSeconds * kRate;
  const double whole = std::floor(delaySamples);
  const long long shift = static_cast<long long>(whole);
  const auto taps = DesignAnalyticBandpass(kAnalyticLowHz, kAnalyticHighHz, kAnalyticTaps, kRate, delaySamples - whole);
  OverlapAddFilter filter(taps);

  const FadingProfile profile = ProfileOf(options.fading);
  std::optional<WattersonTaps> fading;
  if (options.fading != FadingPreset::kNone) {
    fading.emplace(profile.dopplerSpreadHz, kRate, MixSeed(options.seed, kFadingStream));
  }
  const auto pathDelay = static_cast<std::size_t>(std::lround(profile.delaySeconds * kRate));
  std::vector<Complex> recent(pathDelay + 1);  // analytic samples n - pathDelay .. n
  const double carrierStep = 2.0 * std::numbers::pi * options.carrierOffsetHz / kRate;

  std::vector<float> output(input.size());
  const auto source = [&](std::size_t n) -> Complex {
    const long long from = static_cast<long long>(n) - shift;
    if (from < 0 || from >= static_cast<long long>(input.size())) return {};
    return input[static_cast<std::size_t>(from)];
  };
  const auto sink = [&](std::size_t n, Complex half) {
    const Complex analytic = 2.0 * half;
    Complex y = analytic;
    if (fading) {
      recent[n % recent.size()] = analytic;
      const Complex delayed = n >= pathDelay ? recent[(n - pathDelay) % recent.size()] : Complex{};
      const auto gains = fading->Next();
      y = gains[0] * analytic + gains[1] * delayed;
    }
    if (carrierStep != 0.0) {
      // Phase from the sample index, so no error accumulates over minutes.
      y *= std::polar(1.0, std::fmod(carrierStep * static_cast<double>(n), 2.0 * std::numbers::pi));
    }
    output[n] = static_cast<float>(y.real());
  };
  FilterStream(filter, input.size(), (kAnalyticTaps - 1) / 2, source, sink);
  return output;
}

}  // namespace

double ActivePower(std::span<const float> samples) {
  std::size_t first = 0;
  while (first < samples.size() && samples[first] == 0.0f) ++first;
  std::size_t last = samples.size();
  while (last > first && samples[last - 1] == 0.0f) --last;
  if (last == first) return 0.0;
  double sum = 0.0;
  for (std::size_t i = first; i < last; ++i) sum += static_cast<double>(samples[i]) * static_cast<double>(samples[i]);
  return sum / static_cast<double>(last - first);
}

std::vector<float> ShapedNoise(std::size_t count, double powerInBand, const ChannelOptions& options) {
  if (!(options.noiseLowHz >= 0.0) || !(options.noiseHighHz > options.noiseLowHz) ||
      options.noiseHighHz + kNoiseEdgeHz >= kRate / 2) {
    throw std::invalid_argument("the noise band must lie between 0 Hz and the Nyquist frequency");
  }
  // White noise of variance s^2 has s^2 * 2B / fs in a band of B hertz.
  const double bandwidth = options.noiseHighHz - options.noiseLowHz;
  const double sigma = std::sqrt(powerInBand * kRate / (2.0 * bandwidth));
  const auto taps = DesignAnalyticBandpass(std::max(0.0, options.noiseLowHz - kNoiseEdgeHz),
                                           options.noiseHighHz + kNoiseEdgeHz, kNoiseTaps, kRate);
  OverlapAddFilter filter(taps);
  GaussianSource white(MixSeed(options.seed, kNoiseStream));
  std::vector<float> noise(count);
  FilterStream(
      filter, count, (kNoiseTaps - 1) / 2,
      [&](std::size_t) {
        return Complex{sigma * white.Next(), 0.0};
      },
      [&](std::size_t n, Complex half) { noise[n] = static_cast<float>(2.0 * half.real()); });
  return noise;
}

std::vector<float> ApplyChannel(std::span<const float> input, const ChannelOptions& options) {
  std::vector<float> output =
      NeedsAnalyticPath(options) ? Propagate(input, options) : std::vector<float>(input.begin(), input.end());
  AddDcOffset(output, options.dcOffset);
  if (!options.snrDb && !options.carrier) return output;
  const double signalPower = options.signalPower > 0.0 ? options.signalPower : ActivePower(input);
  if (signalPower <= 0.0) throw std::invalid_argument("an SNR or a carrier level needs a signal: the input is silent");
  if (options.carrier) AddCarrier(output, *options.carrier, signalPower);
  if (!options.snrDb) return output;
  const double noisePower = signalPower / std::pow(10.0, *options.snrDb / 10.0);
  const auto noise = options.whiteNoise ? WhiteNoise(input.size(), noisePower, options.noiseHighHz - options.noiseLowHz,
                                                     MixSeed(options.seed, kNoiseStream))
                                        : ShapedNoise(input.size(), noisePower, options);
  for (std::size_t i = 0; i < output.size(); ++i) output[i] += noise[i];
  return output;
}

}  // namespace talvir::testbench
