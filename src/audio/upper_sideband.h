#pragma once
// The real audio of an SSB receiver from I/Q whose dial is at 0 Hz: what lies
// from 0 to 3000 Hz above the dial is kept (the lower sideband is rejected)
// and becomes the real signal, as the receiver's audio output would carry it.

#include <array>
#include <memory>

#include "audio/float_frame_source.h"

namespace talvir {

// I/Q is brought to this rate before the sideband filter: wide enough for the
// 3 kHz sideband as real audio, and a short filter.
inline constexpr double kSidebandRate = 8000.0;
inline constexpr double kSidebandWidthHz = 3000.0;

class UpperSideband : public FloatFrameSource {
 public:
  // 127 taps at 8000/s: 0.35 kHz from pass to stop, 74 dB down in the
  // lower sideband from 170 Hz below the dial.
  static constexpr std::size_t kTaps = 127;

  // source: I and Q at kSidebandRate, the dial at 0 Hz.
  explicit UpperSideband(std::unique_ptr<FloatFrameSource> source);

  int Channels() const override { return 1; }
  double Rate() const override { return kSidebandRate; }
  std::size_t ReadFloatFrames(std::span<float> out, const std::atomic<bool>& stop) override;

  // Interleaved I, Q in; one audio sample per pair out (audio.size() >= half
  // of iq.size()).
  void Process(std::span<const float> iq, std::span<float> audio);

 private:
  static constexpr std::size_t kChunkFrames = 1024;

  std::unique_ptr<FloatFrameSource> source_;
  // The band-pass's taps are a low-pass of half the sideband's width moved to
  // its middle; only the real part of the output is wanted, so I meets the
  // real part of the taps and Q the imaginary part.
  std::array<float, kTaps> realTaps_{};
  std::array<float, kTaps> imagTaps_{};
  // Each sample is written twice, kTaps apart, so the newest kTaps are always
  // one contiguous run.
  std::array<float, 2 * kTaps> historyI_{};
  std::array<float, 2 * kTaps> historyQ_{};
  std::size_t newest_ = 0;
  std::array<float, 2 * kChunkFrames> iq_{};
};

}  // namespace talvir
