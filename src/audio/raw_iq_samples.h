#pragma once
// I/Q as SDR programs write it raw: interleaved I, Q with no header, in one
// of three sample forms, from a file or a pipe.

#include <array>
#include <optional>
#include <string_view>

#include "audio/float_frame_source.h"

namespace talvir {

enum class IqFormat {
  kCu8,   // unsigned 8-bit, 127.5 is zero (RTL-SDR)
  kCs16,  // signed 16-bit little-endian
  kCf32,  // 32-bit float little-endian, +-1.0
};

std::optional<IqFormat> ParseIqFormat(std::string_view name);
inline constexpr std::string_view kIqFormatNames = "cu8, cs16 or cf32";

class RawIqSamples : public FloatFrameSource {
 public:
  // Takes ownership of fd when ownsFd (a file), not for stdin.
  RawIqSamples(int fd, bool ownsFd, IqFormat format, double rate);
  ~RawIqSamples() override;
  RawIqSamples(const RawIqSamples&) = delete;
  RawIqSamples& operator=(const RawIqSamples&) = delete;

  int Channels() const override { return 2; }
  double Rate() const override { return rate_; }
  std::size_t ReadFloatFrames(std::span<float> out, const std::atomic<bool>& stop) override;

 private:
  static constexpr std::size_t kChunkFrames = 4096;

  int fd_;
  bool ownsFd_;
  IqFormat format_;
  std::size_t frameBytes_;
  double rate_;
  bool ended_ = false;
  std::array<uint8_t, kChunkFrames * 2 * sizeof(float)> bytes_{};
};

}  // namespace talvir
