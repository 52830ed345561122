#include "testbench/watterson_fading.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace talvir::testbench {
namespace {

struct PresetEntry {
  FadingPreset preset;
  std::string_view name;
  FadingProfile profile;
};

constexpr std::array<PresetEntry, 5> kPresets = {{
    {FadingPreset::kNone, "none", {0.0, 0.0}},
    {FadingPreset::kQuiet, "quiet", {0.5e-3, 0.1}},
    {FadingPreset::kModerate, "moderate", {1.0e-3, 0.5}},
    {FadingPreset::kDisturbed, "disturbed", {2.0e-3, 1.0}},
    {FadingPreset::kFlutter, "flutter", {0.5e-3, 10.0}},
}};

// Gain samples per Doppler-spread hertz: enough that linear interpolation
// between them is smooth (the process barely changes between two samples).
constexpr double kGainRatePerSpread = 32.0;
// The Gaussian shaping filter is cut at four standard deviations.
constexpr double kShapingSigmas = 4.0;

}  // namespace

FadingProfile ProfileOf(FadingPreset preset) {
  for (const auto& entry : kPresets) {
    if (entry.preset == preset) return entry.profile;
  }
  return {};
}

std::optional<FadingPreset> FadingPresetFromName(std::string_view name) {
  for (const auto& entry : kPresets) {
    if (entry.name == name) return entry.preset;
  }
  return std::nullopt;
}

std::string_view FadingPresetName(FadingPreset preset) {
  for (const auto& entry : kPresets) {
    if (entry.preset == preset) return entry.name;
  }
  return "none";
}

WattersonTaps::WattersonTaps(double dopplerSpreadHz, double sampleRate, uint64_t seed) : noise_(seed) {
  if (!(dopplerSpreadHz > 0.0) || !(sampleRate > 0.0)) {
    throw std::invalid_argument("fading needs a positive Doppler spread and sample rate");
  }
  const double gainRate = std::min(kGainRatePerSpread * dopplerSpreadHz, sampleRate);
  step_ = gainRate / sampleRate;
  // A power spectrum exp(-f^2 / (2 sf^2)) with sf = spread / 2 comes from a
  // filter whose impulse response is Gaussian with st = 1 / (2 sqrt(2) pi sf).
  const double sigmaF = dopplerSpreadHz / 2.0;
  const double sigmaTaps = gainRate / (2.0 * std::numbers::sqrt2 * std::numbers::pi * sigmaF);
  const int half = static_cast<int>(std::ceil(kShapingSigmas * sigmaTaps));
  double energy = 0.0;
  for (int k = -half; k <= half; ++k) {
    const double tap = std::exp(-0.5 * k * k / (sigmaTaps * sigmaTaps));
    shaping_.push_back(tap);
    energy += tap * tap;
  }
  for (auto& tap : shaping_) tap /= std::sqrt(energy);
  // Fill the shaping history so the process is stationary from the first sample.
  for (auto& history : history_) {
    history.resize(shaping_.size());
  }
  for (std::size_t i = 0; i < shaping_.size(); ++i) {
    for (auto& history : history_) history[i] = noise_.NextComplex() * std::numbers::sqrt2 / 2.0;
  }
  for (int path = 0; path < 2; ++path) previous_[path] = FilteredGain(path);
  AdvanceGainSample();
}

std::complex<double> WattersonTaps::FilteredGain(int path) {
  const auto& history = history_[static_cast<std::size_t>(path)];
  std::complex<double> sum{};
  const std::size_t n = shaping_.size();
  for (std::size_t k = 0; k < n; ++k) sum += shaping_[k] * history[(head_ + k) % n];
  return sum;
}

void WattersonTaps::AdvanceGainSample() {
  for (auto& history : history_) history[head_] = noise_.NextComplex() * std::numbers::sqrt2 / 2.0;
  head_ = (head_ + 1) % shaping_.size();
  for (int path = 0; path < 2; ++path) next_[path] = FilteredGain(path);
}

std::array<std::complex<double>, 2> WattersonTaps::Next() {
  std::array<std::complex<double>, 2> gains;
  for (int path = 0; path < 2; ++path) gains[path] = previous_[path] + phase_ * (next_[path] - previous_[path]);
  phase_ += step_;
  while (phase_ >= 1.0) {
    phase_ -= 1.0;
    previous_ = next_;
    AdvanceGainSample();
  }
  return gains;
}

}  // namespace talvir::testbench
