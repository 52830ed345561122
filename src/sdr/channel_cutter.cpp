#include "sdr/channel_cutter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "sdr/channel_filter.h"

namespace talvir {
namespace {

// A hop is three quarters of the FFT; the quarter it overlaps the last one
// is what the filter may span. So the FFT is 4 x decimation x q samples,
// the filter decimation x q + 1 taps, and each channel's inverse FFT 4 x q.
constexpr std::size_t kQuarters = 4;
constexpr std::size_t kHopQuarters = 3;
// q is searched this far beyond the least that would do, for sizes FFTW is
// fastest at.
constexpr std::size_t kSizeSearch = 2;

std::string Hz(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g Hz", value);
  return text;
}

bool IsSmooth(std::size_t n) {
  for (const std::size_t p : {2, 3, 5, 7}) {
    while (n % p == 0) n /= p;
  }
  return n == 1;
}

// The least q whose filter reaches the stop edge, with the pass band widened
// by the half bin a centre may lie off the bin grid.
std::size_t LeastQuarterOutputs(double bandRate, const ChannelShape& shape) {
  const auto d = static_cast<std::size_t>(shape.decimation);
  for (std::size_t q = 1;; ++q) {
    const double halfBin = bandRate / static_cast<double>(kQuarters * d * q) / 2.0;
    if (shape.passHz + halfBin >= shape.stopHz) continue;
    if (d * q + 1 >= LowPassTapsFor(shape.passHz + halfBin, shape.stopHz, bandRate)) return q;
  }
}

std::size_t QuarterOutputs(double bandRate, const ChannelShape& shape) {
  const std::size_t least = LeastQuarterOutputs(bandRate, shape);
  const auto d = static_cast<std::size_t>(shape.decimation);
  for (std::size_t q = least; q <= kSizeSearch * least; ++q) {
    if (IsSmooth(kQuarters * d * q)) return q;
  }
  return least;
}

}  // namespace

int DecimationFor(double bandRate, double minimumRate) {
  return std::max(1, static_cast<int>(std::floor(bandRate / minimumRate)));
}

std::unique_ptr<ChannelCutter> ChannelCutter::Create(double bandRate, const ChannelShape& shape,
                                                     std::span<const double> offsetsHz, std::string& error) {
  if (!(bandRate > 0)) {
    error = "the band's sample rate must be above 0 Hz";
    return nullptr;
  }
  if (shape.decimation < 1) {
    error = "the decimation must be at least 1";
    return nullptr;
  }
  const double outputRate = bandRate / shape.decimation;
  if (!(shape.passHz > 0) || !(shape.stopHz > shape.passHz) || shape.stopHz > outputRate - shape.passHz) {
    error = "a channel passing " + Hz(shape.passHz) + " and stopped from " + Hz(shape.stopHz) +
            " does not fit a channel rate of " + Hz(outputRate);
    return nullptr;
  }
  for (const double offset : offsetsHz) {
    if (!(std::abs(offset) + shape.passHz <= bandRate / 2)) {
      error = "a channel " + Hz(offset) + " from the centre does not fit inside the band of " + Hz(bandRate);
      return nullptr;
    }
  }
  return std::unique_ptr<ChannelCutter>(
      new ChannelCutter(bandRate, shape, QuarterOutputs(bandRate, shape), offsetsHz));
}

ChannelCutter::ChannelCutter(double bandRate, const ChannelShape& shape, std::size_t q,
                             std::span<const double> offsetsHz)
    : outputRate_(bandRate / shape.decimation),
      fftSize_(kQuarters * static_cast<std::size_t>(shape.decimation) * q),
      hop_(kHopQuarters * fftSize_ / kQuarters),
      binsPerChannel_(kQuarters * q),
      discarded_(q),
      forward_(fftSize_, ComplexFft::Direction::kForward),
      inverse_(binsPerChannel_, ComplexFft::Direction::kInverse),
      filled_(fftSize_ - hop_),
      response_(binsPerChannel_),
      baseband_(binsPerChannel_ - discarded_) {
  const double binHz = bandRate / static_cast<double>(fftSize_);
  // The filter's spectrum, once: its taps through the band's own FFT.
  const std::vector<float> taps =
      DesignLowPass(shape.passHz + binHz / 2, shape.stopHz, bandRate, fftSize_ - hop_ + 1);
  std::copy(taps.begin(), taps.end(), forward_.In().begin());
  forward_.Execute();
  const auto spectrum = forward_.Out();
  // Both transforms are unscaled.
  const float scale = 1.0f / static_cast<float>(fftSize_);
  const auto half = static_cast<std::ptrdiff_t>(binsPerChannel_ / 2);
  for (std::size_t j = 0; j < binsPerChannel_; ++j) {
    const std::ptrdiff_t m = static_cast<std::ptrdiff_t>(j) < half ? static_cast<std::ptrdiff_t>(j)
                                                                   : static_cast<std::ptrdiff_t>(j) - 2 * half;
    response_[j] = spectrum[static_cast<std::size_t>((m + static_cast<std::ptrdiff_t>(fftSize_)) %
                                                     static_cast<std::ptrdiff_t>(fftSize_))] * scale;
  }
  std::fill(forward_.In().begin(), forward_.In().end(), std::complex<float>{});

  for (const double offset : offsetsHz) {
    Channel channel;
    channel.centreBin = std::lround(offset / binHz);
    const double residualHz = offset - static_cast<double>(channel.centreBin) * binHz;
    channel.rotorStep = std::polar(1.0, -2.0 * std::numbers::pi * residualHz / outputRate_);
    channels_.push_back(channel);
  }
}

void ChannelCutter::Process(std::span<const std::complex<float>> band, BasebandSink& sink) {
  const auto window = forward_.In();
  while (!band.empty()) {
    const std::size_t take = std::min(band.size(), fftSize_ - filled_);
    std::copy_n(band.begin(), take, window.begin() + static_cast<std::ptrdiff_t>(filled_));
    filled_ += take;
    band = band.subspan(take);
    if (filled_ == fftSize_) CutHop(sink);
  }
}

void ChannelCutter::CutHop(BasebandSink& sink) {
  forward_.Execute();
  const auto window = forward_.In();
  std::copy(window.begin() + static_cast<std::ptrdiff_t>(hop_), window.end(), window.begin());
  filled_ = fftSize_ - hop_;

  const auto spectrum = forward_.Out();
  const auto size = static_cast<std::ptrdiff_t>(fftSize_);
  const auto half = static_cast<std::ptrdiff_t>(binsPerChannel_ / 2);
  // Taking the bins around a centre moves it to 0 Hz measured from the
  // window's first sample; each hop starts 3/4 FFT later, so the channel's
  // phase must move on by -2 pi x centre bin x 3/4 per hop: whole quarter
  // turns.
  static constexpr std::complex<float> kQuarterTurns[] = {{1, 0}, {0, -1}, {-1, 0}, {0, 1}};
  for (std::size_t c = 0; c < channels_.size(); ++c) {
    Channel& channel = channels_[c];
    const auto bins = inverse_.In();
    for (std::ptrdiff_t j = 0; j < static_cast<std::ptrdiff_t>(binsPerChannel_); ++j) {
      const std::ptrdiff_t m = j < half ? j : j - 2 * half;
      const std::ptrdiff_t k = ((channel.centreBin + m) % size + size) % size;
      bins[static_cast<std::size_t>(j)] = spectrum[static_cast<std::size_t>(k)] * response_[static_cast<std::size_t>(j)];
    }
    inverse_.Execute();
    const auto kept = inverse_.Out().subspan(discarded_);
    const std::complex<float> turn = kQuarterTurns[channel.quarterTurns];
    for (std::size_t i = 0; i < kept.size(); ++i) {
      baseband_[i] = kept[i] * turn * std::complex<float>(channel.rotor);
      channel.rotor *= channel.rotorStep;
    }
    channel.rotor /= std::abs(channel.rotor);
    const std::ptrdiff_t turns = channel.centreBin * static_cast<std::ptrdiff_t>(kHopQuarters);
    channel.quarterTurns = static_cast<int>(((channel.quarterTurns + turns) % 4 + 4) % 4);
    sink.OnBaseband(c, baseband_);
  }
}

}  // namespace talvir
