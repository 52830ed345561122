#pragma once
// 16-bit PCM WAV files at 48000 samples/s, mono or stereo, as a sound card
// would record them.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace talvir::testbench {

// The file image. `right` empty: mono; otherwise stereo, and both channels
// must have the same length. Samples are scaled by 32767, rounded and clipped
// to the 16-bit range.
std::vector<uint8_t> EncodeWav(std::span<const float> left, std::span<const float> right = {});

// Writes EncodeWav's image; throws std::runtime_error naming the file when it
// cannot be written.
void WriteWavFile(const std::filesystem::path& path, std::span<const float> left, std::span<const float> right = {});

struct WavAudio {
  int sampleRate = 0;
  int channels = 0;
  std::vector<std::vector<float>> samples;  // per channel, scaled back to -1 .. 1
};

// Reads a 16-bit PCM WAV; throws std::runtime_error saying what is wrong.
WavAudio ReadWavFile(const std::filesystem::path& path);

}  // namespace talvir::testbench
