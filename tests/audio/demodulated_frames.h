#pragma once
// What the modem makes of the frames a reader delivers, converted as the
// worker converts them.

#include <vector>

#include "app/sample_conversion.h"
#include "capture_sources.h"
#include "modem/modem_harness.h"

namespace talvir::testing {

inline std::vector<RecordingFrameReceiver::Frame> Demodulate(const std::vector<int16_t>& frames) {
  ModemHarness harness;
  std::array<float, kBlockFrames> a{};
  std::array<float, kBlockFrames> b{};
  CaptureBlock block{};
  const std::vector<uint8_t> bytes = FrameBytes(frames);
  for (std::size_t at = 0; at < bytes.size(); at += block.size()) {
    block.fill(0);
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), std::min(block.size(), bytes.size() - at),
                block.begin());
    ConvertCaptureBlock(block, a, b);
    harness.modem->ModemFeedSamples(a);
  }
  harness.FeedSilence(4.0);
  return harness.receiver.frames;
}

}  // namespace talvir::testing
