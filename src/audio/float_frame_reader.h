#pragma once
// Capture frames from float frames, brought to 48000/s first when the
// source runs at another rate: mono becomes channel A with channel B silent,
// stereo keeps left and right.

#include <array>
#include <memory>

#include "audio/float_frame_source.h"
#include "common/decoder_links.h"
#include "audio/frame_reader.h"

namespace talvir {

class FloatFrameReader : public FrameReader {
 public:
  // rate: the frames' rate; an SDR band keeps its own.
  explicit FloatFrameReader(std::unique_ptr<FloatFrameSource> source, double rate = kSampleRate);

  std::size_t ReadFrames(std::span<uint8_t> out, const std::atomic<bool>& stop) override;

 private:
  static constexpr std::size_t kChunkFrames = 4096;

  std::unique_ptr<FloatFrameSource> source_;
  int channels_;
  std::array<float, kChunkFrames * 2> samples_{};
};

}  // namespace talvir
