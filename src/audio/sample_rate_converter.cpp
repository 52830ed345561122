#include "audio/sample_rate_converter.h"

#include <soxr.h>

namespace talvir {

SampleRateConverter::SampleRateConverter(double inputRate, double outputRate, int channels) : channels_(channels) {
  const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
  const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
  soxr_error_t error = nullptr;
  resampler_ = soxr_create(inputRate, outputRate, static_cast<unsigned>(channels), &error, &io, &quality, nullptr);
  if (error != nullptr) resampler_ = nullptr;
}

SampleRateConverter::~SampleRateConverter() { soxr_delete(resampler_); }

SampleRateConverter::Done SampleRateConverter::Process(std::span<const float> input, std::span<float> output) {
  const auto width = static_cast<std::size_t>(channels_);
  std::size_t consumed = 0;
  std::size_t produced = 0;
  // A null input tells soxr the stream has ended.
  soxr_process(resampler_, input.empty() ? nullptr : input.data(), input.size() / width, &consumed, output.data(),
               output.size() / width, &produced);
  return {consumed, produced};
}

}  // namespace talvir
