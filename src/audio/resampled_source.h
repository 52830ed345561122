#pragma once
// Another source's frames at a different rate.

#include <array>
#include <memory>

#include "audio/float_frame_source.h"
#include "audio/sample_rate_converter.h"

namespace talvir {

class ResampledSource : public FloatFrameSource {
 public:
  ResampledSource(std::unique_ptr<FloatFrameSource> source, double rate);

  int Channels() const override { return channels_; }
  double Rate() const override { return rate_; }
  std::size_t ReadFloatFrames(std::span<float> out, const std::atomic<bool>& stop) override;

 private:
  static constexpr std::size_t kChunkFrames = 4096;

  std::unique_ptr<FloatFrameSource> source_;
  int channels_;
  double rate_;
  SampleRateConverter converter_;
  std::array<float, kChunkFrames * 2> input_{};
  std::size_t inputFrames_ = 0;
  std::size_t inputUsed_ = 0;
  bool inputEnded_ = false;
};

// The source itself when it already runs at rate, else resampled.
std::unique_ptr<FloatFrameSource> AtRate(std::unique_ptr<FloatFrameSource> source, double rate);

}  // namespace talvir
