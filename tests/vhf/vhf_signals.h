#pragma once
// Transmissions from the test bench and what the demodulator makes of them.

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "recording_sink.h"
#include "testbench/frames/acars_block.h"
#include "testbench/hf_channel.h"
#include "testbench/msk_modulator.h"
#include "vhf/vhf_demodulator.h"

namespace talvir::testing {

// A downlink as airline traffic looks.
inline testbench::AcarsMessage SampleMessage(std::string text = "POS N51234W001234,220,FL350") {
  testbench::AcarsMessage m;
  m.registration = ".G-ABCD";
  m.label = "H1";
  m.blockId = '3';
  m.messageNumber = "M12A";
  m.flightId = "BA0123";
  m.text = std::move(text);
  return m;
}

// What the demodulator must hand over for a built block: SOH through the
// ETX or ETB, without the BCS and DEL.
inline std::vector<uint8_t> DeliveredPart(const std::vector<uint8_t>& built) {
  return {built.begin(), built.end() - 3};
}

inline std::vector<float> Transmit(std::span<const uint8_t> block, double startSeconds = 0.05,
                                   double initialPhase = 0.0) {
  testbench::MskOptions options;
  options.startSeconds = startSeconds;
  options.initialPhase = initialPhase;
  return testbench::ModulateVhfAcars(block, options);
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

// Feeds `audio` and enough silence to push everything through.
inline void FeedAndFlush(VhfDemodulator& demodulator, std::span<const float> audio) {
  demodulator.ProcessBlock(audio);
  const std::vector<float> silence(VhfDemodulator::kFlushBlocks * kBlockFrames, 0.0f);
  demodulator.ProcessBlock(silence);
}

inline std::vector<std::vector<uint8_t>> Demodulate(std::span<const float> audio) {
  RecordingVhfSink sink;
  VhfDemodulator demodulator(sink);
  FeedAndFlush(demodulator, audio);
  return sink.blocks;
}

}  // namespace talvir::testing
