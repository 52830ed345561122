#pragma once
// The HF channel's levels as HFDL aggregators read them, in dB relative to a
// full-scale tone (a sine of peak 1 reads 0 dB): the mean power of the blocks
// a burst is received in, and the noise floor between bursts. Both are
// measured on the resampled audio, whose passband (flat to 2 kHz, 3 dB down
// at 2.6 kHz) holds the HFDL channel.
//
// On a busy channel bursts follow each other with little quiet between them,
// and every burst and prekey only adds to the noise: the floor is the least
// power of short stretches heard while searching over the last 20 seconds.

#include <array>
#include <cstdint>
#include <limits>
#include <span>

namespace talvir {

class BurstLevels {
 public:
  // One resampled block; `inBurst` while a burst is being received.
  void Measure(std::span<const float> block, bool inBurst);
  // A burst was detected: its power is averaged from the next block on.
  void BurstBegin();

  double SignalDb() const;  // of the burst since BurstBegin
  double NoiseDb() const;   // as it stood when the burst was detected

 private:
  static constexpr int kStretchBlocks = 8;      // 0.2 s
  static constexpr int kStretchesPerSpan = 25;  // 5 s
  static constexpr int kSpans = 4;              // 20 s remembered
  static constexpr double kNone = std::numeric_limits<double>::infinity();

  double Floor() const;

  double burstPower_ = 0.0;  // sum over the burst's blocks
  int burstBlocks_ = 0;
  double stretchPower_ = 0.0;  // sum over the stretch's blocks
  int stretchBlocks_ = 0;
  double spanLeast_ = kNone;  // of the stretches of this span
  int spanStretches_ = 0;
  // The spans before.
  std::array<double, kSpans> spansLeast_ = [] {
    std::array<double, kSpans> none{};
    none.fill(kNone);
    return none;
  }();
  uint32_t spansDone_ = 0;
  double burstFloor_ = 0.0;
};

}  // namespace talvir
