#pragma once
// The waterfall of one channel of a band: its baseband turned back into the
// audio a receiver tuned to its dial would give (the carrier at 1440 Hz),
// its level held steady as a receiver's AGC would (an SDR's channel is far
// quieter than a receiver's line output), posted to the window a spectrum
// block at a time. The window's transform then spans the channel's own rate
// instead of 48 kHz, so a burst fills the column. Worker thread only, apart
// from the shown channel.

#include <array>
#include <atomic>
#include <complex>

#include "app/hfdl_band_decoder.h"
#include "common/ui_link.h"

namespace talvir {

class ChannelSpectrum final : public ChannelTap {
 public:
  // The spectrum column's transform length.
  static constexpr std::size_t kPoints = 128;

  explicit ChannelSpectrum(UiLink& ui) : ui_(ui) {}

  // Any thread: which channel's waterfall the window shows from now on.
  void Show(int channel) { shown_.store(channel); }
  int TappedChannel() const override { return shown_.load(); }
  void OnTappedBaseband(std::span<const std::complex<float>> samples, double rate) override;

 private:
  UiLink& ui_;
  std::atomic<int> shown_{0};
  int lastShown_ = 0;
  std::complex<double> phase_{1.0, 0.0};
  std::array<float, kPoints> audio_{};
  std::size_t filled_ = 0;
  double level_ = 0;  // the columns' mean power, followed slowly; 0: none yet
};

}  // namespace talvir
