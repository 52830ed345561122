#include "audio/resampled_source.h"

namespace talvir {

ResampledSource::ResampledSource(std::unique_ptr<FloatFrameSource> source, double rate)
    : source_(std::move(source)),
      channels_(source_->Channels()),
      rate_(rate),
      converter_(source_->Rate(), rate, channels_) {}

std::size_t ResampledSource::ReadFloatFrames(std::span<float> out, const std::atomic<bool>& stop) {
  const auto width = static_cast<std::size_t>(channels_);
  for (;;) {
    if (inputUsed_ == inputFrames_ && !inputEnded_) {
      inputFrames_ = source_->ReadFloatFrames(std::span(input_).first(kChunkFrames * width), stop);
      inputUsed_ = 0;
      inputEnded_ = inputFrames_ == 0;
    }
    const auto done = converter_.Process(
        std::span(input_).subspan(inputUsed_ * width, (inputFrames_ - inputUsed_) * width), out);
    inputUsed_ += done.consumed;
    // The filter may take input before it gives any; at the end its tail
    // comes out until there is none.
    if (done.produced > 0 || inputEnded_) return done.produced;
  }
}

std::unique_ptr<FloatFrameSource> AtRate(std::unique_ptr<FloatFrameSource> source, double rate) {
  if (source->Rate() == rate) return source;
  return std::make_unique<ResampledSource>(std::move(source), rate);
}

}  // namespace talvir
