#include "modem/candidate_path.h"

#include <algorithm>
#include <cmath>

namespace talvir {

namespace {

constexpr std::array<float, hfdl::kMatchedFilterTaps> kMatchedFilter = [] {
  std::array<float, hfdl::kMatchedFilterTaps> h{};
  constexpr int kLast = hfdl::kMatchedFilterTaps - 1;
  for (int k = 0; k <= kLast / 2; ++k) {
    h[static_cast<std::size_t>(k)] = hfdl::kMatchedFilterHalf[static_cast<std::size_t>(k)];
    h[static_cast<std::size_t>(kLast - k)] = hfdl::kMatchedFilterHalf[static_cast<std::size_t>(k)];
  }
  return h;
}();

constexpr float kAgcNew = 0.02f;
constexpr float kAgcOld = 0.98f;

}  // namespace

void CandidatePath::Reset(int pathIndex) {
  oscillatorIncrement_ = hfdl::kPathOscillatorIncrement[static_cast<std::size_t>(pathIndex)];
  agcPower_ = 1.0f;
}

void CandidatePath::MixAndNormalise(std::span<const float, kBlock> block) {
  std::copy(mixer_.begin() + kBlock, mixer_.end(), mixer_.begin());
  Complex* current = mixer_.data() + kBlock;
  float phase = oscillatorPhase_;
  float power = agcPower_;
  for (int i = 0; i < kBlock; ++i) {
    const float x = block[static_cast<std::size_t>(i)];
    const Complex z{std::cos(phase) * x, -std::sin(phase) * x};
    phase += oscillatorIncrement_;
    if (phase >= hfdl::kTwoPiFloat) phase -= hfdl::kTwoPiFloat;
    // The power follows the sample before the sample is scaled by it.
    power = kAgcNew * Norm(z) + kAgcOld * power;
    current[i] = z / std::sqrt(power);
  }
  oscillatorPhase_ = phase;
  agcPower_ = power;
}

void CandidatePath::DecimateMatchedFilter() {
  std::copy(window_.begin() + kNewSamples, window_.end(), window_.begin());
  for (int i = 0; i < kNewSamples; ++i) {
    const Complex* m = mixer_.data() + 2 * i;
    float re = 0.0f;
    float im = 0.0f;
    for (int k = 0; k < kMatchedTaps; ++k) {
      re += kMatchedFilter[static_cast<std::size_t>(k)] * m[k].real();
      im += kMatchedFilter[static_cast<std::size_t>(k)] * m[k].imag();
    }
    window_[static_cast<std::size_t>(kNewestStart + i)] = {re, im};
  }
}

void CandidatePath::FrequencyRotate(const Complex* src, Complex* dst, int count) {
  float theta = rotatorPhase_;
  for (int i = 0; i < count; ++i) {
    const float c = std::cos(theta);
    const float s = std::sin(theta);
    const Complex v = src[i];
    dst[i] = {c * v.real() + s * v.imag(), -s * v.real() + c * v.imag()};
    theta += rotatorIncrement_;
    if (static_cast<double>(theta) >= hfdl::kTwoPi) theta -= hfdl::kTwoPiFloat;
    if (static_cast<double>(theta) <= -hfdl::kTwoPi) theta += hfdl::kTwoPiFloat;
  }
  rotatorPhase_ = theta;
}

}  // namespace talvir
