#pragma once
// The driver side of a sound device that delivers audio in chunks of its own
// choosing: it copies them into the buffers handed over, in the order they
// were handed over, and returns each buffer once it is full.

#include <cstdint>
#include <span>

#include "audio/capture_driver.h"
#include "common/pointer_ring.h"

namespace talvir {

class BlockAssembler {
 public:
  // False when it already holds every buffer there is.
  bool Add(CaptureBuffer& buffer) { return pending_.Push(&buffer) != nullptr; }
  // Audio that finds no buffer (the worker is behind) is lost.
  void Capture(std::span<const uint8_t> audio, CaptureDriverEvents& events);
  // Returns every buffer held, the one being filled first.
  void ReturnAll(CaptureDriverEvents& events);

 private:
  PointerRing<CaptureBuffer> pending_{kCaptureBufferCount};
  CaptureBuffer* filling_ = nullptr;
  std::size_t filled_ = 0;
};

}  // namespace talvir
