#pragma once
// Frames from raw 16-bit little-endian stereo PCM on a file descriptor
// (stdin), for audio piped in from another program.

#include "audio/frame_reader.h"

namespace talvir {

class RawPcmReader : public FrameReader {
 public:
  // Does not take ownership of fd.
  explicit RawPcmReader(int fd) : fd_(fd) {}

  // A trailing partial frame at the end is dropped.
  std::size_t ReadFrames(std::span<uint8_t> out, const std::atomic<bool>& stop) override;

 private:
  int fd_;
  bool ended_ = false;
};

}  // namespace talvir
