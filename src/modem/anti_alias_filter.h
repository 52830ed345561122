#pragma once
// Low-pass at 48000/s ahead of the resampler's every-fifth-sample pick. The
// pick folds everything above 4.8 kHz onto the HFDL band; receivers and SDR
// programs whose audio is not cut off above 3 kHz would lose several dB to
// that noise. Flat to 3 kHz, at least 68 dB down from 6.875 kHz, where the
// first folded copy of the band begins; what lies between is removed by the
// resampler's own filter.

#include <array>

namespace talvir {

class AntiAliasFilter {
 public:
  static constexpr int kTaps = 51;  // linear phase: 25 samples' delay

  // Every input sample goes in; the output is read only where it is picked.
  void Push(float x) {
    newest_ = newest_ + 1 == kTaps ? 0 : newest_ + 1;
    line_[newest_] = x;
    line_[newest_ + kTaps] = x;
  }
  float Output() const;

 private:
  // The delay line is stored twice so the newest kTaps values are always one
  // contiguous run ending at line_[newest_ + kTaps].
  std::array<float, 2 * kTaps> line_{};
  unsigned newest_ = 0;
};

}  // namespace talvir
