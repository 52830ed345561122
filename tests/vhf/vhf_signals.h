#pragma once
// Transmissions from the test bench and what the demodulator makes of them.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "testbench/dc_offset.h"
#include "testbench/frames/acars_block.h"
#include "testbench/hf_channel.h"
#include "testbench/msk_modulator.h"
#include "vhf/vhf_demodulator.h"

namespace talvir::testing {

// Keeps every block the demodulator hands over.
class RecordingVhfSink : public VhfMessageSink {
 public:
  void PrintVhfAcars(std::span<const uint8_t> block, const VhfBlockQuality& quality) override {
    blocks.emplace_back(block.begin(), block.end());
    qualities.push_back(quality);
  }

  // A block with the parity bits cleared, as text.
  static std::string Text(const std::vector<uint8_t>& block) {
    std::string text;
    for (uint8_t b : block) text.push_back(static_cast<char>(b & 0x7F));
    return text;
  }

  std::vector<std::vector<uint8_t>> blocks;
  std::vector<VhfBlockQuality> qualities;
};

// A downlink as airline traffic looks.
inline testbench::AcarsMessage SampleMessage(std::string text = "POS N51234W001234,220,FL350") {
  return {.registration = ".G-ABCD",
          .label = "H1",
          .blockId = '3',
          .messageNumber = "M12A",
          .flightId = "BA0123",
          .text = std::move(text)};
}

inline std::vector<uint8_t> SampleBlock(std::string text = "POS N51234W001234,220,FL350") {
  return testbench::BuildVhfAcarsBlock(SampleMessage(std::move(text)));
}

// What the demodulator must hand over for a built block: SOH through the
// ETX or ETB, without the BCS and DEL.
inline std::vector<uint8_t> DeliveredPart(const std::vector<uint8_t>& built) {
  return {built.begin(), built.end() - 3};
}

inline std::vector<float> Transmit(std::span<const uint8_t> block, double startSeconds = 0.05,
                                   double initialPhase = 0.0) {
  return testbench::ModulateVhfAcars(block, {.startSeconds = startSeconds, .initialPhase = initialPhase});
}

inline std::vector<float> Concatenate(std::initializer_list<std::span<const float>> parts) {
  std::vector<float> all;
  for (auto part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// Noise at `snrDb` against a tone of the modulator's default amplitude, over
// the whole recording (gaps included).
inline std::vector<float> WithNoise(std::span<const float> audio, double snrDb, uint64_t seed = 1) {
  testbench::ChannelOptions channel;
  channel.snrDb = snrDb;
  const double amplitude = testbench::MskOptions{}.amplitude;
  channel.signalPower = amplitude * amplitude / 2;
  channel.seed = seed;
  return testbench::ApplyChannel(audio, channel);
}

// What a sound card of `bits` bits makes of `audio`: clipped at full scale
// and rounded to its steps.
inline std::vector<float> AsSoundCard(std::vector<float> audio, int bits = 16) {
  const float steps = std::ldexp(1.0f, bits - 1);
  for (float& sample : audio) sample = std::clamp(std::nearbyint(sample * steps), -steps, steps - 1.0f) / steps;
  return audio;
}

// Feeds `audio` in chunks of `chunk` samples, then enough silence to push
// everything through; the blocks with how they were received.
inline RecordingVhfSink DemodulateWithQuality(std::span<const float> audio, std::size_t chunk = 0) {
  RecordingVhfSink sink;
  VhfDemodulator demodulator(sink);
  if (chunk == 0) chunk = std::max<std::size_t>(audio.size(), 1);
  for (std::size_t at = 0; at < audio.size(); at += chunk)
    demodulator.ProcessBlock(audio.subspan(at, std::min(chunk, audio.size() - at)));
  const std::vector<float> silence(VhfDemodulator::kFlushBlocks * kBlockFrames, 0.0f);
  demodulator.ProcessBlock(silence);
  return sink;
}

inline std::vector<std::vector<uint8_t>> Demodulate(std::span<const float> audio, std::size_t chunk = 0) {
  return DemodulateWithQuality(audio, chunk).blocks;
}

}  // namespace talvir::testing
