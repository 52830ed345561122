#pragma once
// Frames from a sound file through libsndfile (WAV, FLAC and the other
// formats it reads). The file must be at 48000 frames/s; a mono file becomes
// channel A with channel B silent.

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "audio/capture_buffer.h"
#include "audio/frame_reader.h"

struct sf_private_tag;

namespace talvir {

class SoundFileReader : public FrameReader {
 public:
  // nullptr, with a one-line reason in error, when the file cannot be used.
  static std::unique_ptr<SoundFileReader> Open(const std::filesystem::path& path, std::string& error);
  ~SoundFileReader() override;
  SoundFileReader(const SoundFileReader&) = delete;
  SoundFileReader& operator=(const SoundFileReader&) = delete;

  std::size_t ReadFrames(std::span<uint8_t> out, const std::atomic<bool>& stop) override;

  int Channels() const { return channels_; }
  // As the file's header says.
  int64_t Frames() const { return frames_; }

 private:
  SoundFileReader(sf_private_tag* file, int channels, int64_t frames)
      : file_(file), channels_(channels), frames_(frames) {}

  sf_private_tag* file_;
  int channels_;  // 1 or 2
  int64_t frames_;
  std::array<int16_t, kBlockFrames * kCaptureChannels> samples_{};
};

}  // namespace talvir
