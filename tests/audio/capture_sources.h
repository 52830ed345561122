#pragma once
// Audio for the capture layer made by the test: frames generated in memory
// and sound files written with libsndfile.

#include <sndfile.h>

#include <array>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <vector>

#include "audio/frame_reader.h"
#include "audio/wave_in.h"

namespace talvir::testing {

// Closes without the long waits a real device needs.
inline constexpr CloseTiming kQuickClose{1000, std::chrono::milliseconds(1), std::chrono::milliseconds(0)};

// Frames as the capture layer sees them: little-endian left, right.
inline std::vector<uint8_t> FrameBytes(const std::vector<int16_t>& interleaved) {
  std::vector<uint8_t> bytes;
  for (const int16_t sample : interleaved) {
    bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(sample) & 0xFF));
    bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8));
  }
  return bytes;
}

// `frames` frames whose left and right samples `frame(n)` gives.
class GeneratedReader : public FrameReader {
 public:
  using Frame = std::function<std::array<int16_t, 2>(std::size_t)>;
  GeneratedReader(std::size_t frames, Frame frame) : frames_(frames), frame_(std::move(frame)) {}
  std::size_t ReadFrames(std::span<uint8_t> out, const std::atomic<bool>&) override {
    std::size_t n = 0;
    for (; n < out.size() / kCaptureBytesPerFrame && next_ < frames_; ++n, ++next_) {
      std::size_t at = n * kCaptureBytesPerFrame;
      for (const int16_t sample : frame_(next_)) {
        out[at++] = static_cast<uint8_t>(static_cast<uint16_t>(sample) & 0xFF);
        out[at++] = static_cast<uint8_t>(static_cast<uint16_t>(sample) >> 8);
      }
    }
    return n;
  }

 private:
  std::size_t frames_;
  Frame frame_;
  std::size_t next_ = 0;
};

inline std::filesystem::path WriteSoundFile(const std::filesystem::path& path, int format, int rate, int channels,
                                            const std::vector<int16_t>& samples) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = format;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  if (file == nullptr) throw std::runtime_error(sf_strerror(nullptr));
  sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size()) / channels);
  sf_close(file);
  return path;
}

}  // namespace talvir::testing
