#pragma once
// A finite source of float frames at its own sample rate, before it is
// brought to the capture layer's 48000 frames/s: a sound file at any rate,
// an I/Q recording, the audio made from one.

#include <atomic>
#include <cstddef>
#include <span>

namespace talvir {

class FloatFrameSource {
 public:
  virtual ~FloatFrameSource() = default;
  virtual int Channels() const = 0;  // 1 or 2
  virtual double Rate() const = 0;   // frames per second
  // Fills out with whole interleaved frames, nominally within +-1.0; returns
  // how many. 0 only at the end of the input, or once stop is set.
  virtual std::size_t ReadFloatFrames(std::span<float> out, const std::atomic<bool>& stop) = 0;
};

}  // namespace talvir
