// VHF ACARS demodulator: throughput in seconds of audio per CPU second, the
// state it keeps, and the share of 100-character messages that arrive
// against the SNR (noise in the 300 .. 3300 Hz band).

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <random>
#include <set>
#include <span>
#include <utility>
#include <vector>

#include "testbench/frames/acars_block.h"
#include "testbench/hf_channel.h"
#include "testbench/msk_modulator.h"
#include "vhf/vhf_demodulator.h"

namespace talvir {
namespace {

constexpr int kTextCharacters = 100;
constexpr int kMessagesPerPoint = 100;
constexpr double kGapSeconds = 0.1;  // noise only between transmissions
constexpr double kLowestSnrDb = 2.0;
constexpr double kHighestSnrDb = 20.0;

class CollectingSink : public VhfMessageSink {
 public:
  void PrintVhfAcars(std::span<const uint8_t> block, const VhfBlockQuality&) override {
    blocks.emplace_back(block.begin(), block.end());
  }
  std::vector<std::vector<uint8_t>> blocks;
};

// A random downlink with a text of 100 printable characters.
std::vector<uint8_t> RandomBlock(std::mt19937& random) {
  std::uniform_int_distribution<int> printable(0x20, 0x7E);
  testbench::AcarsMessage m;
  m.registration = ".N12345";
  m.label = "H1";
  m.messageNumber = "D01A";
  m.flightId = "XY0001";
  for (int i = 0; i < kTextCharacters; ++i) m.text.push_back(static_cast<char>(printable(random)));
  return testbench::BuildVhfAcarsBlock(m);
}

struct Traffic {
  std::vector<float> audio;                // clean, gaps silent
  std::vector<std::vector<uint8_t>> sent;  // SOH .. ETX of each block
};

Traffic MakeTraffic(int messages, uint64_t seed) {
  std::mt19937 random(static_cast<std::mt19937::result_type>(seed));
  std::uniform_real_distribution<double> phase(0.0, 6.283185307179586);
  Traffic traffic;
  for (int i = 0; i < messages; ++i) {
    const std::vector<uint8_t> block = RandomBlock(random);
    testbench::MskOptions options;
    options.startSeconds = kGapSeconds;
    options.initialPhase = phase(random);
    const std::vector<float> audio = testbench::ModulateVhfAcars(block, options);
    traffic.audio.insert(traffic.audio.end(), audio.begin(), audio.end());
    traffic.sent.emplace_back(block.begin(), block.end() - 3);
  }
  traffic.audio.resize(traffic.audio.size() + VhfDemodulator::kFlushBlocks * kBlockFrames, 0.0f);
  return traffic;
}

std::vector<float> WithNoise(std::span<const float> audio, std::optional<double> snrDb, uint64_t seed) {
  testbench::ChannelOptions channel;
  channel.snrDb = snrDb;
  const double amplitude = testbench::MskOptions{}.amplitude;
  channel.signalPower = amplitude * amplitude / 2;  // while a tone is on
  channel.seed = seed;
  return testbench::ApplyChannel(audio, channel);
}

void Feed(VhfDemodulator& demodulator, std::span<const float> audio) {
  for (std::size_t at = 0; at + kBlockFrames <= audio.size(); at += kBlockFrames)
    demodulator.ProcessBlock(audio.subspan(at, kBlockFrames));
}

// Arg 0: noise alone (the detectors search all the time); arg 1: traffic at
// 20 dB, locked about 80 % of the time.
void BM_VhfDemodulator(benchmark::State& state) {
  const Traffic traffic = MakeTraffic(20, 7);
  const std::vector<float> silence(traffic.audio.size(), 0.0f);
  const std::vector<float> audio =
      state.range(0) == 0 ? WithNoise(silence, 0.0, 3) : WithNoise(traffic.audio, 20.0, 3);
  CollectingSink sink;
  VhfDemodulator demodulator(sink);
  const std::size_t blocks = audio.size() / kBlockFrames;
  for (auto _ : state) {
    Feed(demodulator, audio);
    benchmark::ClobberMemory();
  }
  const double audioSeconds = static_cast<double>(blocks * kBlockFrames) / kSampleRate;
  // Seconds of audio per CPU second: "times real time".
  state.counters["x_realtime"] =
      benchmark::Counter(audioSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["state_bytes"] = static_cast<double>(sizeof(VhfDemodulator));
}
BENCHMARK(BM_VhfDemodulator)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

struct Tally {
  int arrived = 0;        // sent blocks delivered, each counted once
  int falseMessages = 0;  // delivered blocks that were never sent
};

Tally Count(const std::vector<std::vector<uint8_t>>& delivered, const std::vector<std::vector<uint8_t>>& sentBlocks) {
  const std::set<std::vector<uint8_t>> sent(sentBlocks.begin(), sentBlocks.end());
  std::set<std::vector<uint8_t>> arrived;
  Tally tally;
  for (const auto& block : delivered) {
    if (sent.count(block) != 0)
      arrived.insert(block);
    else
      ++tally.falseMessages;
  }
  tally.arrived = static_cast<int>(arrived.size());
  return tally;
}

struct SensitivityPoint {
  double snrDb;
  Tally mended;  // bit errors mended under the BCS (as built)
  Tally strict;  // no mending
};

SensitivityPoint MeasureAt(const Traffic& traffic, double snrDb) {
  const std::vector<float> audio = WithNoise(traffic.audio, snrDb, static_cast<uint64_t>(snrDb * 10) + 11);
  SensitivityPoint point{snrDb, {}, {}};
  for (const bool correcting : {true, false}) {
    CollectingSink sink;
    VhfDemodulator demodulator(sink, correcting);
    Feed(demodulator, audio);
    (correcting ? point.mended : point.strict) = Count(sink.blocks, traffic.sent);
  }
  return point;
}

// The lowest SNR from which on at least 90 % arrive, interpolated.
std::optional<double> At90(const std::vector<SensitivityPoint>& points, Tally SensitivityPoint::*which) {
  const double target = 0.9 * kMessagesPerPoint;
  std::optional<double> at90;
  for (std::size_t i = points.size(); i-- > 0;) {
    const int arrived = (points[i].*which).arrived;
    if (arrived < target) {
      if (i + 1 < points.size()) {
        const double lo = arrived;
        const double hi = (points[i + 1].*which).arrived;
        at90 = points[i].snrDb + (target - lo) / (hi - lo) * (points[i + 1].snrDb - points[i].snrDb);
      }
      break;
    }
    at90 = points[i].snrDb;
  }
  return at90;
}

void PrintSensitivity() {
  const Traffic traffic = MakeTraffic(kMessagesPerPoint, 1);
  std::printf("\nMessage success rate, %d messages of %d text characters per point,\n", kMessagesPerPoint,
              kTextCharacters);
  std::printf("SNR = tone power / noise power in 300..3300 Hz\n");
  std::printf("%8s %12s %8s %12s %8s\n", "SNR dB", "mended: %", "false", "strict: %", "false");
  std::vector<SensitivityPoint> points;
  for (double snr = kLowestSnrDb; snr <= kHighestSnrDb; snr += 1.0) {
    points.push_back(MeasureAt(traffic, snr));
    const SensitivityPoint& p = points.back();
    std::printf("%8.1f %12d %8d %12d %8d\n", snr, p.mended.arrived * 100 / kMessagesPerPoint, p.mended.falseMessages,
                p.strict.arrived * 100 / kMessagesPerPoint, p.strict.falseMessages);
    std::fflush(stdout);
  }
  for (const auto& [name, which] : {std::pair{"mended", &SensitivityPoint::mended},
                                    std::pair{"strict", &SensitivityPoint::strict}}) {
    if (const auto at90 = At90(points, which))
      std::printf("%s: 90 %% of messages arrive from %.1f dB SNR\n", name, *at90);
    else
      std::printf("%s: 90 %% of messages are not reached up to %.0f dB SNR\n", name, kHighestSnrDb);
  }
}

// Receiver hiss for hours of audio, cheaply: sums of four uniform numbers
// (near enough Gaussian for this) through a high-pass at 300 Hz and a
// two-pole low-pass near 4400 Hz, scaled to `rms` on its first second.
class Hiss {
 public:
  Hiss(uint64_t seed, double rms) : state_(seed | 1) {
    Hiss probe = *this;
    double power = 0.0;
    for (int n = 0; n < kSampleRate; ++n) {
      const auto x = static_cast<double>(probe.Next());
      power += x * x;
    }
    scale_ = static_cast<float>(rms / std::sqrt(power / kSampleRate));
  }

  float Next() {
    float sum = 0.0f;
    for (int k = 0; k < 4; ++k) {
      state_ ^= state_ << 13;
      state_ ^= state_ >> 7;
      state_ ^= state_ << 17;
      sum += static_cast<float>(state_ >> 40) * (1.0f / 16777216.0f) - 0.5f;
    }
    const float white = sum;
    highPassed_ = kHighPole * (highPassed_ + white - previousWhite_);
    previousWhite_ = white;
    lowPassed1_ += kLowGain * (highPassed_ - lowPassed1_);
    lowPassed2_ += kLowGain * (lowPassed1_ - lowPassed2_);
    return scale_ * lowPassed2_;
  }
  uint64_t Random() { return state_ ^= state_ << 13, state_ ^= state_ >> 7, state_ ^= state_ << 17; }

 private:
  static constexpr float kHighPole = 0.962f;  // 300 Hz at 48000 samples/s
  static constexpr float kLowGain = 0.43f;    // each pole near 4400 Hz
  uint64_t state_;
  float scale_ = 1.0f;
  float highPassed_ = 0.0f, previousWhite_ = 0.0f, lowPassed1_ = 0.0f, lowPassed2_ = 0.0f;
};

constexpr int kHourBlocks = 3600 * kSampleRate / kBlockFrames;

// Blocks delivered from an hour of audio made block by block by `fill`.
template <typename Fill>
int FalseMessagesInAnHour(Fill fill) {
  CollectingSink sink;
  VhfDemodulator demodulator(sink);
  std::vector<float> block(kBlockFrames);
  for (int n = 0; n < kHourBlocks; ++n) {
    fill(n, std::span<float>(block));
    demodulator.ProcessBlock(block);
  }
  return static_cast<int>(sink.blocks.size());
}

// No block may come out of an hour of hiss, nor of an hour of an AM
// receiver's squelch opening on hiss now and then (each time with a step of
// DC), nor wrong blocks out of an hour of messages that arrive corrupted.
void PrintFalseMessages() {
  std::printf("\nFalse messages in an hour of audio (mending on)\n");
  Hiss hiss(1, 0.1);
  const int fromHiss = FalseMessagesInAnHour([&](int, std::span<float> out) {
    for (float& sample : out) sample = hiss.Next();
  });
  std::printf("%-48s %d\n", "receiver hiss, open squelch:", fromHiss);

  Hiss squelched(2, 0.2);
  int blocksLeft = 0;
  bool open = false;
  float dc = 0.0f;
  const int fromSquelch = FalseMessagesInAnHour([&](int, std::span<float> out) {
    for (float& sample : out) {
      if (blocksLeft-- <= 0) {
        open = !open;
        // Open 0.05 .. 3 s, closed 0.05 .. 5 s, counted in samples here.
        blocksLeft = static_cast<int>(2400 + squelched.Random() % static_cast<uint64_t>((open ? 3 : 5) * kSampleRate));
        dc = open ? static_cast<float>(static_cast<int>(squelched.Random() % 61) - 30) / 100.0f : 0.0f;
      }
      const float h = squelched.Next();
      sample = open ? h + dc : 0.0f;
    }
  });
  std::printf("%-48s %d\n", "AM receiver hiss with squelch bursts:", fromSquelch);

  // The 100 sensitivity messages over and over (about 45 s), each pass under
  // fresh hiss at 2 .. 6 dB (in its whole band, a little below that in
  // 300 .. 3300 Hz), where most arrive with errors.
  const Traffic traffic = MakeTraffic(kMessagesPerPoint, 1);
  const double toneRms = static_cast<double>(testbench::MskOptions{}.amplitude) / std::sqrt(2.0);
  std::vector<std::vector<uint8_t>> delivered;
  int passes = 0;
  for (const bool correcting : {true, false}) {
    CollectingSink sink;
    VhfDemodulator demodulator(sink, correcting);
    std::vector<float> block(kBlockFrames);
    const std::size_t passBlocks = traffic.audio.size() / kBlockFrames;
    passes = static_cast<int>(kHourBlocks / static_cast<int>(passBlocks));
    for (int pass = 0; pass < passes; ++pass) {
      const double snrDb = 2.0 + pass % 5;
      Hiss noise(100 + static_cast<uint64_t>(pass), toneRms / std::pow(10.0, snrDb / 20.0));
      for (std::size_t b = 0; b < passBlocks; ++b) {
        for (int k = 0; k < kBlockFrames; ++k)
          block[static_cast<std::size_t>(k)] = traffic.audio[b * kBlockFrames + static_cast<std::size_t>(k)] + noise.Next();
        demodulator.ProcessBlock(block);
      }
    }
    int wrong = 0;
    const std::set<std::vector<uint8_t>> sent(traffic.sent.begin(), traffic.sent.end());
    for (const auto& b : sink.blocks) wrong += sent.count(b) == 0 ? 1 : 0;
    std::printf("%d messages at 2 .. 6 dB, %-14s %d arrived, %d false\n", passes * kMessagesPerPoint,
                correcting ? "mended:" : "strict:", static_cast<int>(sink.blocks.size()) - wrong, wrong);
  }
}

}  // namespace
}  // namespace talvir

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  talvir::PrintSensitivity();
  talvir::PrintFalseMessages();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("demodulator state: %zu bytes, no heap; peak resident memory of this program: %ld KiB\n",
              sizeof(talvir::VhfDemodulator), usage.ru_maxrss);
  return 0;
}
