#pragma once
// A finite source of 16-bit little-endian stereo frames (a sound file, a
// pipe), read a capture block at a time.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>

namespace talvir {

class FrameReader {
 public:
  virtual ~FrameReader() = default;
  // Fills out with whole frames (left, right); returns how many. Fewer than
  // fit only at the end of the input, or once stop is set.
  virtual std::size_t ReadFrames(std::span<uint8_t> out, const std::atomic<bool>& stop) = 0;
};

}  // namespace talvir
