#pragma once
// 16-bit capture samples to float. Negative samples are read as one's
// complement, one step closer to zero than two's complement: 0xFFFF (-1)
// becomes -0.0 and 0x8000 (-32768) becomes -32767/32768, never -1.0.

#include <cstdint>
#include <span>

#include "audio/capture_buffer.h"

namespace talvir {

inline constexpr float kSampleScale = 3.0517578125e-05F;  // 2^-15

constexpr float ConvertSample(uint16_t bits) {
  if ((bits & 0x8000U) == 0) return static_cast<float>(bits) * kSampleScale;
  return -(static_cast<float>(~bits & 0x7FFFU) * kSampleScale);
}

// Frame k's left sample goes to channelA[k], its right sample to channelB[k].
void ConvertCaptureBlock(const CaptureBlock& block, std::span<float, kBlockFrames> channelA,
                         std::span<float, kBlockFrames> channelB);

}  // namespace talvir
