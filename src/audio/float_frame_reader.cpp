#include "audio/float_frame_reader.h"

#include <algorithm>

#include "audio/capture_frames.h"
#include "audio/resampled_source.h"

namespace talvir {

FloatFrameReader::FloatFrameReader(std::unique_ptr<FloatFrameSource> source, double rate)
    : source_(AtRate(std::move(source), rate)),
      channels_(source_->Channels()) {}

std::size_t FloatFrameReader::ReadFrames(std::span<uint8_t> out, const std::atomic<bool>& stop) {
  const auto width = static_cast<std::size_t>(channels_);
  const std::size_t wanted = out.size() / kCaptureBytesPerFrame;
  std::size_t have = 0;
  while (have < wanted) {
    const std::size_t room = std::min(wanted - have, kChunkFrames);
    const std::size_t frames = source_->ReadFloatFrames(std::span(samples_).first(room * width), stop);
    if (frames == 0) break;
    PutCaptureFrames(std::span(samples_).first(frames * width), channels_, out.subspan(have * kCaptureBytesPerFrame));
    have += frames;
  }
  return have;
}

}  // namespace talvir
