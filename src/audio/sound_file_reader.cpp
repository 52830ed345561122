#include "audio/sound_file_reader.h"

#include <sndfile.h>

#include <algorithm>

namespace talvir {
namespace {

void PutLittleEndian(uint8_t* at, int16_t sample) {
  const auto bits = static_cast<uint16_t>(sample);
  at[0] = static_cast<uint8_t>(bits & 0xFF);
  at[1] = static_cast<uint8_t>(bits >> 8);
}

}  // namespace

std::unique_ptr<SoundFileReader> SoundFileReader::Open(const std::filesystem::path& path,
                                                       std::string& error) {
  const std::string name = path.string();
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    error = name + ": no such file";
    return nullptr;
  }
  if (std::filesystem::is_directory(path, ec)) {
    error = name + ": is a directory, not a sound file";
    return nullptr;
  }
  SF_INFO info{};
  SNDFILE* file = sf_open(name.c_str(), SFM_READ, &info);
  if (file == nullptr) {
    error = name + ": not a sound file that can be read (" + sf_strerror(nullptr) +
            "); raw 16-bit stereo PCM goes through stdin: --input - < " + name;
    return nullptr;
  }
  if (info.samplerate != kSampleRate) {
    error = name + ": sample rate is " + std::to_string(info.samplerate) + " Hz; only " +
            std::to_string(kSampleRate) + " Hz is supported (resample the file first)";
    sf_close(file);
    return nullptr;
  }
  if (info.channels < 1 || info.channels > kCaptureChannels) {
    error = name + ": " + std::to_string(info.channels) + " channels; only mono or stereo is supported";
    sf_close(file);
    return nullptr;
  }
  // Floating-point files hold -1..+1; read them at full 16-bit scale.
  sf_command(file, SFC_SET_SCALE_FLOAT_INT_READ, nullptr, SF_TRUE);
  return std::unique_ptr<SoundFileReader>(new SoundFileReader(file, info.channels, info.frames));
}

SoundFileReader::~SoundFileReader() { sf_close(file_); }

std::size_t SoundFileReader::ReadFrames(std::span<uint8_t> out, const std::atomic<bool>& /*stop*/) {
  const auto capacity = static_cast<sf_count_t>(
      std::min(out.size() / kCaptureBytesPerFrame, samples_.size() / kCaptureChannels));
  const sf_count_t frames = sf_readf_short(file_, samples_.data(), capacity);
  if (frames <= 0) return 0;
  for (sf_count_t k = 0; k < frames; ++k) {
    uint8_t* frame = out.data() + k * kCaptureBytesPerFrame;
    if (channels_ == 1) {
      PutLittleEndian(frame, samples_[static_cast<std::size_t>(k)]);
      PutLittleEndian(frame + 2, 0);
    } else {
      PutLittleEndian(frame, samples_[static_cast<std::size_t>(2 * k)]);
      PutLittleEndian(frame + 2, samples_[static_cast<std::size_t>(2 * k + 1)]);
    }
  }
  return static_cast<std::size_t>(frames);
}

}  // namespace talvir
