#include "modem/burst_levels.h"

#include <algorithm>
#include <cmath>

#include "modem/hfdl_phy.h"

namespace talvir {

namespace {

// The resampler stuffs zeros between the samples it picks, which leaves a
// third of the amplitude in its passband.
constexpr double kPassbandGain = 1.0 / hfdl::kZeroStuffFactor;
// A tone's mean power is half its peak squared.
constexpr double kFullScaleTonePower = 0.5 * kPassbandGain * kPassbandGain;
constexpr double kSilencePower = 1e-14;  // -140 dB, instead of minus infinity
// A stretch of noise holds about a thousand independent samples, so its
// power scatters by 4 % about the mean; the least of 15 to 100 stretches lies
// 8 to 11 % below it.
constexpr double kLeastToMean = 1.1;

double Db(double power) { return 10.0 * std::log10(std::max(power, kSilencePower) / kFullScaleTonePower); }

}  // namespace

void BurstLevels::Measure(std::span<const float> block, bool inBurst) {
  double sum = 0.0;
  for (const float x : block) sum += static_cast<double>(x) * static_cast<double>(x);
  const double power = block.empty() ? 0.0 : sum / static_cast<double>(block.size());
  if (inBurst) {
    burstPower_ += power;
    ++burstBlocks_;
    return;
  }
  stretchPower_ += power;
  if (++stretchBlocks_ < kStretchBlocks) return;
  spanLeast_ = std::min(spanLeast_, stretchPower_ / kStretchBlocks);
  stretchPower_ = 0.0;
  stretchBlocks_ = 0;
  if (++spanStretches_ < kStretchesPerSpan) return;
  spansLeast_[spansDone_++ % spansLeast_.size()] = spanLeast_;
  spanLeast_ = kNone;
  spanStretches_ = 0;
}

double BurstLevels::Floor() const {
  const double least = std::min(spanLeast_, *std::min_element(spansLeast_.begin(), spansLeast_.end()));
  if (least != kNone) return kLeastToMean * least;
  // Not one whole stretch heard yet.
  return stretchBlocks_ == 0 ? 0.0 : stretchPower_ / stretchBlocks_;
}

void BurstLevels::BurstBegin() {
  burstPower_ = 0.0;
  burstBlocks_ = 0;
  burstFloor_ = Floor();
}

double BurstLevels::SignalDb() const { return Db(burstBlocks_ == 0 ? 0.0 : burstPower_ / burstBlocks_); }

double BurstLevels::NoiseDb() const { return Db(burstFloor_); }

}  // namespace talvir
