#pragma once
// One of the three baseband paths of the front end: a mixer with its own local
// oscillator (1390, 1440 or 1490 Hz), an AGC, and the matched filter that
// halves the rate to 3600/s (two samples per symbol) into the path window the
// burst search and the receiver read. The rotator removes a burst's residual
// carrier offset once the search has measured it.

#include <array>
#include <span>

#include "modem/complex_math.h"
#include "modem/hfdl_phy.h"

namespace talvir {

class CandidatePath {
 public:
  static constexpr int kBlock = hfdl::kBlockMixSamples;         // 180 at 7200/s
  static constexpr int kNewSamples = hfdl::kBlockPathSamples;   // 90 at 3600/s
  static constexpr int kWindowSize = 1242;                      // 621 symbols
  static constexpr int kNewestStart = kWindowSize - kNewSamples;  // 1152
  using Window = std::array<Complex, kWindowSize>;

  // Modem reset: oscillator increment of this path and AGC power 1.0.
  void Reset(int pathIndex);

  void MixAndNormalise(std::span<const float, kBlock> block);
  void DecimateMatchedFilter();
  // dst = src * e^(-j theta), theta advancing by the rotator increment per
  // sample and kept between calls. src and dst may be the same.
  void FrequencyRotate(const Complex* src, Complex* dst, int count);

  Window& window() { return window_; }
  const Window& window() const { return window_; }
  void SetRotatorIncrement(float radiansPerSample) { rotatorIncrement_ = radiansPerSample; }
  float RotatorIncrement() const { return rotatorIncrement_; }
  float AgcPower() const { return agcPower_; }

 private:
  static constexpr int kMatchedTaps = hfdl::kMatchedFilterTaps;

  float oscillatorPhase_ = 0.0f;      // radians
  float oscillatorIncrement_ = 0.0f;  // radians per 7200/s sample
  float agcPower_ = 1.0f;
  // Previous block (0..179) then the current one (180..359).
  std::array<Complex, 2 * kBlock> mixer_{};
  Window window_{};  // newest 90 samples at 1152..1241
  float rotatorPhase_ = 0.0f;
  float rotatorIncrement_ = 0.0f;  // radians per 3600/s sample
};

}  // namespace talvir
