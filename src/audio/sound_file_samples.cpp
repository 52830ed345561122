#include "audio/sound_file_samples.h"

#include <fcntl.h>
#include <sndfile.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace talvir {

// The file through libsndfile's virtual I/O, so that a WAV data chunk whose
// size was never written can be read as reaching the end of the file.
struct SoundFileSamples::PatchedFile {
  int fd = -1;
  sf_count_t length = 0;
  sf_count_t position = 0;
  sf_count_t patchAt = -1;  // where the 4 bytes of `patch` replace the file's
  std::array<uint8_t, 4> patch{};

  ~PatchedFile() {
    if (fd >= 0) close(fd);
  }
};

namespace {

using PatchedFile = SoundFileSamples::PatchedFile;

uint32_t LittleEndian32(const uint8_t* at) {
  return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
         static_cast<uint32_t>(at[3]) << 24;
}

// The offset of a RIFF WAVE file's data chunk size when it says 0 and
// samples follow, else -1; and the size it should say.
sf_count_t EmptyDataChunk(const PatchedFile& file, uint32_t& actualSize) {
  std::array<uint8_t, 12> header{};
  if (pread(file.fd, header.data(), header.size(), 0) != static_cast<ssize_t>(header.size()) ||
      std::memcmp(header.data(), "RIFF", 4) != 0 || std::memcmp(header.data() + 8, "WAVE", 4) != 0) {
    return -1;
  }
  sf_count_t at = 12;
  std::array<uint8_t, 8> chunk{};
  while (at + 8 <= file.length && pread(file.fd, chunk.data(), chunk.size(), at) == 8) {
    const uint32_t size = LittleEndian32(chunk.data() + 4);
    if (std::memcmp(chunk.data(), "data", 4) == 0) {
      const sf_count_t samples = file.length - (at + 8);
      if (size != 0 || samples <= 0) return -1;
      actualSize = static_cast<uint32_t>(std::min<sf_count_t>(samples, UINT32_MAX - 1) & ~sf_count_t{1});
      return at + 4;
    }
    // In 64 bits: a size near 2^32 must not wrap the step to nothing.
    at += 8 + static_cast<sf_count_t>(size) + (size & 1);
  }
  return -1;
}

sf_count_t FileLength(void* user) { return static_cast<PatchedFile*>(user)->length; }

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
  auto& file = *static_cast<PatchedFile*>(user);
  const sf_count_t base = whence == SEEK_CUR ? file.position : whence == SEEK_END ? file.length : 0;
  file.position = std::clamp<sf_count_t>(base + offset, 0, file.length);
  return file.position;
}

sf_count_t Read(void* out, sf_count_t count, void* user) {
  auto& file = *static_cast<PatchedFile*>(user);
  const ssize_t got = pread(file.fd, out, static_cast<std::size_t>(count), file.position);
  if (got <= 0) return 0;
  auto* bytes = static_cast<uint8_t*>(out);
  for (sf_count_t k = 0; k < 4 && file.patchAt >= 0; ++k) {
    const sf_count_t at = file.patchAt + k - file.position;
    if (at >= 0 && at < got) bytes[at] = file.patch[static_cast<std::size_t>(k)];
  }
  file.position += got;
  return got;
}

sf_count_t Write(const void*, sf_count_t, void*) { return 0; }
sf_count_t Tell(void* user) { return static_cast<PatchedFile*>(user)->position; }

constexpr std::size_t kFloatSniffSamples = 8192;
// Floats at 16-bit scale (peaks in the thousands) rather than +-1.
constexpr float kIntegerScaledFloat = 1.0F / 32768.0F;
constexpr std::size_t kReadChunkFrames = 4096;

float LittleEndianFloat(const uint8_t* at) {
  const uint32_t bits = LittleEndian32(at);
  float value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace

std::unique_ptr<SoundFileSamples> SoundFileSamples::Open(const std::filesystem::path& path, std::string& error) {
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
  std::unique_ptr<SoundFileSamples> samples(new SoundFileSamples);
  samples->io_ = std::make_unique<PatchedFile>();
  PatchedFile& io = *samples->io_;
  io.fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (io.fd < 0) {
    error = name + ": cannot be read (" + std::strerror(errno) + ")";
    return nullptr;
  }
  io.length = lseek(io.fd, 0, SEEK_END);
  uint32_t actualSize = 0;
  io.patchAt = EmptyDataChunk(io, actualSize);
  if (io.patchAt >= 0) {
    for (std::size_t k = 0; k < 4; ++k) io.patch[k] = static_cast<uint8_t>(actualSize >> (8 * k));
    samples->warnings_.push_back(name + ": the header says the file holds no samples, but " +
                                 std::to_string(actualSize) +
                                 " bytes follow it (a recording that was not closed); reading them all");
  }

  SF_VIRTUAL_IO calls{FileLength, Seek, Read, Write, Tell};
  SF_INFO info{};
  samples->file_ = sf_open_virtual(&calls, SFM_READ, &info, &io);
  if (samples->file_ == nullptr) {
    error = name + ": not a sound file that can be read (" + sf_strerror(nullptr) +
            "); raw 16-bit stereo PCM goes through stdin: --input - < " + name;
    return nullptr;
  }
  if (info.channels < 1 || info.channels > 2) {
    error = name + ": " + std::to_string(info.channels) + " channels; only mono or stereo is supported";
    return nullptr;
  }
  if (info.samplerate <= 0) {
    error = name + ": the header gives no sample rate";
    return nullptr;
  }
  samples->channels_ = info.channels;
  samples->rate_ = info.samplerate;
  samples->frames_ = info.frames;
  if ((info.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAV && (info.format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_32 &&
      samples->HoldsFloatsAsIntegers()) {
    samples->floatsAsIntegers_ = true;
    samples->raw_.resize(kReadChunkFrames * 2 * sizeof(float));
    samples->warnings_.push_back(name +
                                 ": the header says 32-bit integer samples, but they are floating-point; read as such");
  }
  return samples;
}

SoundFileSamples::~SoundFileSamples() {
  if (file_ != nullptr) sf_close(file_);
}

bool SoundFileSamples::HoldsFloatsAsIntegers() {
  std::vector<uint8_t> bytes(kFloatSniffSamples * sizeof(float));
  const sf_count_t got = sf_read_raw(file_, bytes.data(), static_cast<sf_count_t>(bytes.size()));
  sf_seek(file_, 0, SEEK_SET);
  // Integer audio read as float bits lands in [1e-6, 1e6] only while it
  // stays within 0.42 to 0.57 of full scale; floats do all the time.
  std::size_t nonZero = 0;
  std::size_t plausible = 0;
  float peak = 0;
  for (sf_count_t at = 0; at + 4 <= got; at += 4) {
    const float value = std::fabs(LittleEndianFloat(bytes.data() + at));
    if (value == 0) continue;
    ++nonZero;
    if (value >= 1e-6F && value <= 1e6F) {
      ++plausible;
      peak = std::max(peak, value);
    }
  }
  rawScale_ = peak > 1.0F ? kIntegerScaledFloat : 1.0F;
  return nonZero >= 64 && plausible * 100 >= nonZero * 99;
}

std::size_t SoundFileSamples::ReadFloatFrames(std::span<float> out, const std::atomic<bool>& /*stop*/) {
  const auto width = static_cast<std::size_t>(channels_);
  if (!floatsAsIntegers_) {
    const sf_count_t frames = sf_readf_float(file_, out.data(), static_cast<sf_count_t>(out.size() / width));
    return frames > 0 ? static_cast<std::size_t>(frames) : 0;
  }
  const std::size_t frames = std::min(out.size() / width, kReadChunkFrames);
  const sf_count_t bytes = sf_read_raw(file_, raw_.data(), static_cast<sf_count_t>(frames * width * sizeof(float)));
  const std::size_t got = bytes > 0 ? static_cast<std::size_t>(bytes) / (width * sizeof(float)) : 0;
  for (std::size_t k = 0; k < got * width; ++k) {
    const float value = LittleEndianFloat(raw_.data() + 4 * k) * rawScale_;
    out[k] = std::isfinite(value) ? value : 0.0F;
  }
  return got;
}

}  // namespace talvir
