#include "sdr/am_demodulator.h"

#include <algorithm>
#include <cmath>

namespace talvir {
namespace {

// Below this the channel is silent (all-zero input), not weak.
constexpr float kSilentCarrier = 1e-12f;

}  // namespace

AmDemodulator::AmDemodulator(double rate)
    : pole_(static_cast<float>(std::exp(-1.0 / (kCarrierSeconds * rate)))) {}

void AmDemodulator::Process(std::span<const std::complex<float>> in, std::span<float> out) {
  for (std::size_t n = 0; n < in.size(); ++n) {
    // A bad sample of a file must not stay in the carrier for good.
    const float envelope = std::isfinite(std::abs(in[n])) ? std::abs(in[n]) : 0.0f;
    // A channel switched on starts from its first envelope, not from zero.
    carrier_ = carrier_ > kSilentCarrier ? pole_ * carrier_ + (1.0f - pole_) * envelope : envelope;
    const float depth = carrier_ > kSilentCarrier ? (envelope - carrier_) / carrier_ : 0.0f;
    out[n] = std::clamp(depth * kFullDepthLevel, -1.0f, 1.0f);
  }
}

}  // namespace talvir
