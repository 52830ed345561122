#include "testbench/wav_file.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "common/decoder_links.h"

namespace talvir::testbench {
namespace {

constexpr int kBitsPerSample = 16;
constexpr float kFullScale = 32767.0f;
constexpr uint16_t kFormatPcm = 1;
constexpr std::size_t kHeaderBytes = 44;

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<uint8_t>& out, const char* tag) { out.insert(out.end(), tag, tag + 4); }

int16_t ToPcm(float x) {
  const float scaled = std::round(x * kFullScale);
  return static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

uint32_t GetLe(const std::vector<uint8_t>& data, std::size_t at, int bytes) {
  uint32_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= static_cast<uint32_t>(data[at + static_cast<std::size_t>(i)]) << (8 * i);
  return value;
}

}  // namespace

std::vector<uint8_t> EncodeWav(std::span<const float> left, std::span<const float> right) {
  const bool stereo = !right.empty();
  if (stereo && right.size() != left.size()) throw std::invalid_argument("WAV channels differ in length");
  const uint32_t channels = stereo ? 2 : 1;
  const uint64_t dataBytes = left.size() * channels * 2;
  if (dataBytes > 0xFFFFFFFFull - kHeaderBytes) throw std::invalid_argument("too long for a WAV file");
  std::vector<uint8_t> out;
  out.reserve(kHeaderBytes + dataBytes);
  PutTag(out, "RIFF");
  PutLe(out, static_cast<uint32_t>(36 + dataBytes), 4);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  PutLe(out, 16, 4);
  PutLe(out, kFormatPcm, 2);
  PutLe(out, channels, 2);
  PutLe(out, kSampleRate, 4);
  PutLe(out, kSampleRate * channels * 2, 4);  // bytes per second
  PutLe(out, channels * 2, 2);                // bytes per frame
  PutLe(out, kBitsPerSample, 2);
  PutTag(out, "data");
  PutLe(out, static_cast<uint32_t>(dataBytes), 4);
  for (std::size_t i = 0; i < left.size(); ++i) {
    PutLe(out, static_cast<uint16_t>(ToPcm(left[i])), 2);
    if (stereo) PutLe(out, static_cast<uint16_t>(ToPcm(right[i])), 2);
  }
  return out;
}

void WriteWavFile(const std::filesystem::path& path, std::span<const float> left, std::span<const float> right) {
  const auto image = EncodeWav(left, right);
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
  file.close();
  if (!file) throw std::runtime_error("cannot write " + path.string());
}

WavAudio ReadWavFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot open " + path.string());
  const std::vector<uint8_t> data{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const auto fail = [&](const std::string& why) { return std::runtime_error(path.string() + ": " + why); };
  if (data.size() < 12 || std::memcmp(data.data(), "RIFF", 4) != 0 || std::memcmp(data.data() + 8, "WAVE", 4) != 0) {
    throw fail("not a RIFF WAVE file");
  }
  WavAudio audio;
  bool haveFormat = false;
  for (std::size_t at = 12; at + 8 <= data.size();) {
    const uint32_t size = GetLe(data, at + 4, 4);
    const std::size_t body = at + 8;
    if (size > data.size() - body) throw fail("chunk runs past the end of the file");
    if (std::memcmp(data.data() + at, "fmt ", 4) == 0) {
      if (size < 16) throw fail("short format chunk");
      if (GetLe(data, body, 2) != kFormatPcm || GetLe(data, body + 14, 2) != kBitsPerSample) {
        throw fail("not 16-bit PCM");
      }
      audio.channels = static_cast<int>(GetLe(data, body + 2, 2));
      audio.sampleRate = static_cast<int>(GetLe(data, body + 4, 4));
      if (audio.channels < 1) throw fail("no channels");
      haveFormat = true;
    } else if (std::memcmp(data.data() + at, "data", 4) == 0) {
      if (!haveFormat) throw fail("data before format");
      const auto channels = static_cast<std::size_t>(audio.channels);
      const std::size_t frames = size / (2 * channels);
      audio.samples.assign(channels, std::vector<float>(frames));
      for (std::size_t f = 0; f < frames; ++f) {
        for (std::size_t c = 0; c < channels; ++c) {
          const auto value = static_cast<int16_t>(GetLe(data, body + 2 * (f * channels + c), 2));
          audio.samples[c][f] = static_cast<float>(value) / kFullScale;
        }
      }
      return audio;
    }
    at = body + size + (size & 1u);
  }
  throw fail("no data chunk");
}

}  // namespace talvir::testbench
