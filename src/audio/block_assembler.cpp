#include "audio/block_assembler.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace talvir {

void BlockAssembler::Capture(std::span<const uint8_t> audio, CaptureDriverEvents& events) {
  while (!audio.empty()) {
    if (filling_ == nullptr) {
      filling_ = pending_.Pop();
      if (filling_ == nullptr) return;
      filled_ = 0;
    }
    const std::size_t take = std::min(audio.size(), kCaptureBufferBytes - filled_);
    std::memcpy(filling_->data.data() + filled_, audio.data(), take);
    filled_ += take;
    audio = audio.subspan(take);
    if (filled_ == kCaptureBufferBytes) events.BufferDone(*std::exchange(filling_, nullptr));
  }
}

void BlockAssembler::ReturnAll(CaptureDriverEvents& events) {
  if (filling_ != nullptr) events.BufferDone(*std::exchange(filling_, nullptr));
  filled_ = 0;
  while (CaptureBuffer* buffer = pending_.Pop()) events.BufferDone(*buffer);
}

}  // namespace talvir
