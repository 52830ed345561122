#include "audio/capture_frames.h"

#include <algorithm>
#include <cmath>

namespace talvir {
namespace {

constexpr float kFullScale = 32768.0F;

void PutSample(uint8_t* at, float sample) {
  const float scaled = std::clamp(std::nearbyint(sample * kFullScale), -kFullScale, kFullScale - 1.0F);
  // NaN passes the clamp; it becomes silence.
  const auto bits = static_cast<uint16_t>(std::isnan(scaled) ? 0 : static_cast<int16_t>(scaled));
  at[0] = static_cast<uint8_t>(bits & 0xFF);
  at[1] = static_cast<uint8_t>(bits >> 8);
}

}  // namespace

void PutCaptureFrames(std::span<const float> samples, int channels, std::span<uint8_t> out) {
  const auto width = static_cast<std::size_t>(channels);
  const std::size_t frames = samples.size() / width;
  for (std::size_t k = 0; k < frames; ++k) {
    uint8_t* frame = out.data() + k * kCaptureBytesPerFrame;
    PutSample(frame, samples[k * width]);
    PutSample(frame + 2, width == 1 ? 0.0F : samples[k * width + 1]);
  }
}

}  // namespace talvir
