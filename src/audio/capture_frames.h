#pragma once
// Float samples to the capture layer's frames: 16-bit little-endian left,
// right, at full scale for +-1.0, rounded and clipped.

#include <cstddef>
#include <cstdint>
#include <span>

#include "audio/capture_buffer.h"

namespace talvir {

// Frame k of `samples` (channels wide: 1 puts silence on the right) into
// frame k of out.
void PutCaptureFrames(std::span<const float> samples, int channels, std::span<uint8_t> out);

}  // namespace talvir
