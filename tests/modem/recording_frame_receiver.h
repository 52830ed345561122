#pragma once
// A frame receiver for tests: keeps every frame and its burst information.

#include <cstdint>
#include <vector>

#include "common/decoder_links.h"

namespace talvir::testing {

class RecordingFrameReceiver : public HfdlFrameReceiver {
 public:
  struct Frame {
    std::vector<uint8_t> bytes;
    BurstInfo burst;
  };

  bool ReceiveFrame(std::span<const uint8_t> frame, const BurstInfo& burst) override {
    frames.push_back({{frame.begin(), frame.end()}, burst});
    return decodeResult;
  }

  std::vector<Frame> frames;
  bool decodeResult = true;  // what the "protocol decoder" says of each frame
};

}  // namespace talvir::testing
