#pragma once
// One HFDL channel's complex baseband, centred on the burst carrier, at the
// rate a channel cutter gives (7200 to 28800 samples/s), made into the same
// 180-sample blocks at 7200/s that the audio resampler makes: a polyphase
// interpolator brings it to 7200/s, and with the carrier moved up to 1440 Hz
// its real part is the signal as an SSB receiver's audio carries it. The
// baseband must hold nothing further than 1440 Hz below the carrier, or it
// folds into the band.

#include <array>
#include <cmath>
#include <complex>
#include <span>

#include "modem/complex_math.h"
#include "modem/hfdl_phy.h"

namespace talvir {

class BasebandFrontEnd {
 public:
  static constexpr int kBlockSize = hfdl::kBlockMixSamples;  // 180 at 7200/s
  using Block = std::span<const float, kBlockSize>;
  static constexpr double kMinRate = hfdl::kMixRate;
  static constexpr double kMaxRate = 4.0 * hfdl::kMixRate;

  BasebandFrontEnd() { SetInputRate(kMinRate); }

  // The input's rate, kMinRate to kMaxRate; false (nothing changed) outside.
  bool SetInputRate(double samplesPerSecond);
  double InputRate() const { return inputRate_; }

  // Calls onBlock(Block) for every completed block.
  template <class OnBlock>
  void Feed(std::span<const Complex> samples, OnBlock&& onBlock) {
    for (const Complex z : samples) {
      // A non-finite sample would poison the AGC and every window for good.
      Push(std::isfinite(z.real()) && std::isfinite(z.imag()) ? z : Complex{});
      // The output rate is at most the input rate: one output at most.
      wait_ -= 1.0;
      if (wait_ >= 1.0) continue;
      block_[static_cast<std::size_t>(fill_++)] = Interpolate(wait_);
      wait_ += step_;
      if (fill_ == kBlockSize) {
        fill_ = 0;
        onBlock(Block(block_));
      }
    }
  }

 private:
  static constexpr int kTaps = 16;
  static constexpr int kPhases = 256;
  // The carrier goes up by a fifth of the 7200/s output rate per sample:
  // 1440 Hz repeats every five samples.
  static constexpr int kCarrierPeriod = 5;

  void Push(Complex z) {
    newest_ = (newest_ + 1) % kTaps;
    history_[static_cast<std::size_t>(newest_)] = z;
    history_[static_cast<std::size_t>(newest_ + kTaps)] = z;
  }
  // The output mu input samples after the middle of the history, as audio.
  float Interpolate(double mu);
  void DesignTaps();

  double inputRate_ = kMinRate;
  double step_ = 1.0;  // input samples per output sample
  double wait_ = 1.0;  // input samples until the next output
  // Each row one fractional position 0, 1/256, ... 1; each sums to one.
  std::array<std::array<float, kTaps>, kPhases + 1> taps_{};
  std::array<Complex, 2 * kTaps> history_{};  // each sample twice, kTaps apart
  int newest_ = 0;
  int carrierStep_ = 0;
  std::array<float, kBlockSize> block_{};
  int fill_ = 0;
};

}  // namespace talvir
