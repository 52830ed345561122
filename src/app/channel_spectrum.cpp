#include "app/channel_spectrum.h"

#include <cmath>
#include <numbers>

#include "modem/hfdl_phy.h"

namespace talvir {
namespace {

// A receiver's line output: the noise between bursts near -26 dBFS.
constexpr double kTargetRms = 0.05;
// Per column, about 60 a second: the level follows over a few seconds, so a
// burst stands out of the noise instead of being levelled with it.
constexpr double kLevelFollow = 0.005;
// Below this the channel is silent (a band at its start): left as it is.
constexpr double kSilentPower = 1e-14;

}  // namespace

void ChannelSpectrum::OnTappedBaseband(std::span<const std::complex<float>> samples, double rate) {
  const int shown = shown_.load();
  if (shown != lastShown_) {
    // A half-filled column of the channel shown before would be drawn as
    // this one's.
    lastShown_ = shown;
    filled_ = 0;
  }
  const std::complex<double> step = std::polar(1.0, 2.0 * std::numbers::pi * hfdl::kCarrierHz / rate);
  for (const std::complex<float> sample : samples) {
    audio_[filled_++] = static_cast<float>((std::complex<double>(sample) * phase_).real());
    phase_ *= step;
    if (filled_ == kPoints) {
      double power = 0;
      for (const float value : audio_) power += static_cast<double>(value) * static_cast<double>(value);
      power /= kPoints;
      level_ = level_ == 0 ? power : level_ + kLevelFollow * (power - level_);
      if (level_ > kSilentPower) {
        const auto gain = static_cast<float>(kTargetRms / std::sqrt(level_));
        for (float& value : audio_) value *= gain;
      }
      ui_.PostSpectrumBlock(audio_, 0);
      filled_ = 0;
      phase_ /= std::abs(phase_);  // rounding would let the amplitude drift
    }
  }
}

}  // namespace talvir
