#include "app/channel_spectrum.h"

#include <cmath>
#include <numbers>

#include "modem/hfdl_phy.h"

namespace talvir {

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
      ui_.PostSpectrumBlock(audio_, 0);
      filled_ = 0;
      phase_ /= std::abs(phase_);  // rounding would let the amplitude drift
    }
  }
}

}  // namespace talvir
