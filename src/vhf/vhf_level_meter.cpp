#include "vhf/vhf_level_meter.h"

#include <algorithm>
#include <cmath>

namespace talvir {

namespace {
constexpr double kFeederScale = 8.0;          // see the header
constexpr double kSilencePower = 1e-12;       // -111 dB on that scale
}  // namespace

void VhfLevelMeter::Push(float i, float q) {
  partialBit_ += i * i + q * q;
  if (++samplesInBit_ < kVhfSamplesPerBit) return;
  bitPowers_[bits_ % kHistoryBits] = partialBit_;
  ++bits_;
  partialBit_ = 0.0f;
  samplesInBit_ = 0;
}

double VhfLevelMeter::LevelDb(double power) { return 10.0 * std::log10(kFeederScale * std::max(power, kSilencePower)); }

void VhfLevelMeter::PrintVhfAcars(std::span<const uint8_t> block, const VhfBlockQuality& quality) {
  const uint64_t end = bits_ > kHandOverLagBits ? bits_ - kHandOverLagBits : 0;
  const uint64_t span = std::min<uint64_t>(block.size() * 8 + kBcsBits, end);
  double sum = 0.0;
  for (uint64_t bit = end - span; bit < end; ++bit) sum += static_cast<double>(bitPowers_[bit % kHistoryBits]);
  VhfBlockQuality measured = quality;
  measured.levelDb = LevelDb(span == 0 ? 0.0 : sum / static_cast<double>(span * kVhfSamplesPerBit));
  sink_.PrintVhfAcars(block, measured);
}

}  // namespace talvir
