#pragma once
// Float frames from a sound file through libsndfile (WAV, FLAC and the other
// formats it reads), mono or stereo, at the file's own rate. Two kinds of
// damaged WAV file are read for what they hold, with a warning: one whose
// header says it holds no samples (a recorder that was never closed), and one
// whose header says 32-bit integers where the samples are floating-point.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "audio/float_frame_source.h"

struct sf_private_tag;

namespace talvir {

class SoundFileSamples : public FloatFrameSource {
 public:
  // nullptr, with a one-line reason in error, when the file cannot be used.
  static std::unique_ptr<SoundFileSamples> Open(const std::filesystem::path& path, std::string& error);
  ~SoundFileSamples() override;
  SoundFileSamples(const SoundFileSamples&) = delete;
  SoundFileSamples& operator=(const SoundFileSamples&) = delete;

  int Channels() const override { return channels_; }
  double Rate() const override { return rate_; }
  std::size_t ReadFloatFrames(std::span<float> out, const std::atomic<bool>& stop) override;

  double Seconds() const { return static_cast<double>(frames_) / rate_; }
  // What was mended on the way in, one line each, for the user.
  const std::vector<std::string>& Warnings() const { return warnings_; }

  struct PatchedFile;  // the file as libsndfile reads it

 private:
  SoundFileSamples() = default;
  // True when a 32-bit integer file's samples look like floats; sets rawScale_.
  bool HoldsFloatsAsIntegers();

  std::unique_ptr<PatchedFile> io_;
  sf_private_tag* file_ = nullptr;
  int channels_ = 0;
  int rate_ = 0;
  int64_t frames_ = 0;
  bool floatsAsIntegers_ = false;
  float rawScale_ = 1.0F;
  std::vector<uint8_t> raw_;  // read buffer for floats read as raw bytes, sized at open
  std::vector<std::string> warnings_;
};

}  // namespace talvir
