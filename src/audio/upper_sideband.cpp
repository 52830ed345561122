#include "audio/upper_sideband.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace talvir {
namespace {

double Blackman(std::size_t n, std::size_t length) {
  const double x = 2.0 * std::numbers::pi * static_cast<double>(n) / static_cast<double>(length - 1);
  return 0.42 - 0.5 * std::cos(x) + 0.08 * std::cos(2.0 * x);
}

}  // namespace

UpperSideband::UpperSideband(std::unique_ptr<FloatFrameSource> source) : source_(std::move(source)) {
  const double halfWidth = kSidebandWidthHz / 2.0 / kSidebandRate;  // cycles per sample
  const double middle = (kTaps - 1) / 2.0;
  for (std::size_t n = 0; n < kTaps; ++n) {
    const double t = static_cast<double>(n) - middle;
    const double lowPass = 2.0 * halfWidth * (t == 0 ? 1.0 : std::sin(2.0 * std::numbers::pi * halfWidth * t) /
                                                                 (2.0 * std::numbers::pi * halfWidth * t));
    const double tap = lowPass * Blackman(n, kTaps);
    // The filter's output at n uses history[n - k] with tap k; the taps are
    // stored oldest first, so tap k sits at kTaps - 1 - k.
    const double turn = 2.0 * std::numbers::pi * halfWidth * t;
    realTaps_[kTaps - 1 - n] = static_cast<float>(tap * std::cos(turn));
    imagTaps_[kTaps - 1 - n] = static_cast<float>(tap * std::sin(turn));
  }
}

std::size_t UpperSideband::ReadFloatFrames(std::span<float> out, const std::atomic<bool>& stop) {
  const std::size_t frames = source_->ReadFloatFrames(std::span(iq_).first(2 * std::min(out.size(), kChunkFrames)), stop);
  Process(std::span(iq_).first(2 * frames), out);
  return frames;
}

void UpperSideband::Process(std::span<const float> iq, std::span<float> audio) {
  for (std::size_t k = 0; 2 * k + 1 < iq.size(); ++k) {
    newest_ = newest_ + 1 == kTaps ? 0 : newest_ + 1;
    historyI_[newest_] = historyI_[newest_ + kTaps] = iq[2 * k];
    historyQ_[newest_] = historyQ_[newest_ + kTaps] = iq[2 * k + 1];
    // The kTaps samples up to the newest, oldest first.
    const float* i = historyI_.data() + newest_ + 1;
    const float* q = historyQ_.data() + newest_ + 1;
    float sum = 0;
    for (std::size_t t = 0; t < kTaps; ++t) sum += i[t] * realTaps_[t] - q[t] * imagTaps_[t];
    audio[k] = sum;
  }
}

}  // namespace talvir
