#include "audio/raw_iq_samples.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "audio/fd_reading.h"

namespace talvir {
namespace {

std::size_t SampleBytes(IqFormat format) {
  switch (format) {
    case IqFormat::kCu8: return 1;
    case IqFormat::kCs16: return 2;
    case IqFormat::kCf32: return 4;
  }
  return 1;
}

float Sample(IqFormat format, const uint8_t* at) {
  switch (format) {
    case IqFormat::kCu8: return (static_cast<float>(at[0]) - 127.5F) / 127.5F;
    case IqFormat::kCs16:
      return static_cast<float>(static_cast<int16_t>(static_cast<uint16_t>(at[0] | at[1] << 8))) / 32768.0F;
    case IqFormat::kCf32: {
      const uint32_t bits = static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                            static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
      float value = 0;
      std::memcpy(&value, &bits, sizeof value);
      return std::isfinite(value) ? value : 0.0F;
    }
  }
  return 0;
}

}  // namespace

std::optional<IqFormat> ParseIqFormat(std::string_view name) {
  if (name == "cu8") return IqFormat::kCu8;
  if (name == "cs16") return IqFormat::kCs16;
  if (name == "cf32") return IqFormat::kCf32;
  return std::nullopt;
}

RawIqSamples::RawIqSamples(int fd, bool ownsFd, IqFormat format, double rate)
    : fd_(fd), ownsFd_(ownsFd), format_(format), frameBytes_(2 * SampleBytes(format)), rate_(rate) {}

RawIqSamples::~RawIqSamples() {
  if (ownsFd_) close(fd_);
}

std::size_t RawIqSamples::ReadFloatFrames(std::span<float> out, const std::atomic<bool>& stop) {
  const std::size_t room = std::min(out.size() / 2, kChunkFrames);
  const std::size_t frames =
      ReadWholeUnits(fd_, std::span(bytes_).first(room * frameBytes_), frameBytes_, stop, ended_);
  const std::size_t sampleBytes = frameBytes_ / 2;
  for (std::size_t k = 0; k < 2 * frames; ++k) out[k] = Sample(format_, bytes_.data() + k * sampleBytes);
  return frames;
}

}  // namespace talvir
