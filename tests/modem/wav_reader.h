#pragma once
// Reads the 16-bit PCM WAV files of the recordings folder: the first channel
// as floats in -1 .. +1. Empty on any error.

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace talvir::testing {

struct WavAudio {
  int sampleRate = 0;
  std::vector<float> samples;
};

inline WavAudio ReadWav16(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto u16 = [&](std::size_t at) { return static_cast<unsigned>(static_cast<uint8_t>(bytes[at]) | static_cast<uint8_t>(bytes[at + 1]) << 8); };
  auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
  WavAudio wav;
  if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 || std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
    return wav;
  int channels = 0;
  int bits = 0;
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const std::size_t size = u32(at + 4);
    const std::size_t body = at + 8;
    if (std::memcmp(bytes.data() + at, "fmt ", 4) == 0 && body + 16 <= bytes.size()) {
      channels = static_cast<int>(u16(body + 2));
      wav.sampleRate = static_cast<int>(u32(body + 4));
      bits = static_cast<int>(u16(body + 14));
    } else if (std::memcmp(bytes.data() + at, "data", 4) == 0 && bits == 16 && channels > 0) {
      const std::size_t end = std::min(bytes.size(), body + size);
      for (std::size_t s = body; s + 2 * static_cast<std::size_t>(channels) <= end; s += 2 * static_cast<std::size_t>(channels))
        wav.samples.push_back(static_cast<float>(static_cast<int16_t>(u16(s))) / 32768.0f);
      return wav;
    }
    at = body + size + (size & 1);
  }
  return wav;
}

}  // namespace talvir::testing
