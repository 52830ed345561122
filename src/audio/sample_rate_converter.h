#pragma once
// Interleaved float frames from one sample rate to another (libsoxr, high
// quality). The filter state lives in the converter; nothing is allocated
// once it is made.

#include <cstddef>
#include <span>

struct soxr;

namespace talvir {

class SampleRateConverter {
 public:
  // channels: 1 (mono) or 2 (stereo, or I and Q).
  SampleRateConverter(double inputRate, double outputRate, int channels);
  ~SampleRateConverter();
  SampleRateConverter(const SampleRateConverter&) = delete;
  SampleRateConverter& operator=(const SampleRateConverter&) = delete;

  struct Done {
    std::size_t consumed = 0;  // input frames taken
    std::size_t produced = 0;  // output frames written
  };
  // Takes as much of input as fits the filter and writes what is ready. With
  // an empty input the stream has ended: the filter's tail comes out, and
  // produced is 0 once all of it has.
  Done Process(std::span<const float> input, std::span<float> output);

 private:
  soxr* resampler_ = nullptr;
  int channels_;
};

}  // namespace talvir
