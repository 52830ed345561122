#include "app/sample_conversion.h"

namespace talvir {

void ConvertCaptureBlock(const CaptureBlock& block, std::span<float, kBlockFrames> channelA,
                         std::span<float, kBlockFrames> channelB) {
  const uint8_t* frame = block.data();
  for (std::size_t k = 0; k < kBlockFrames; ++k, frame += kCaptureBytesPerFrame) {
    channelA[k] = ConvertSample(static_cast<uint16_t>(frame[0] | frame[1] << 8));
    channelB[k] = ConvertSample(static_cast<uint16_t>(frame[2] | frame[3] << 8));
  }
}

}  // namespace talvir
