// VHF ACARS demodulator: throughput in seconds of audio per CPU second, the
// state it keeps, and the share of 100-character messages that arrive
// against the SNR (noise in the 300 .. 3300 Hz band).

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <random>
#include <set>
#include <span>
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
  void PrintVhfAcars(std::span<const uint8_t> block) override {
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

struct SensitivityPoint {
  double snrDb;
  int arrived;
  int falseMessages;  // delivered blocks that were never sent
};

SensitivityPoint MeasureAt(const Traffic& traffic, double snrDb) {
  const std::vector<float> audio = WithNoise(traffic.audio, snrDb, static_cast<uint64_t>(snrDb * 10) + 11);
  CollectingSink sink;
  VhfDemodulator demodulator(sink);
  Feed(demodulator, audio);
  const std::set<std::vector<uint8_t>> sent(traffic.sent.begin(), traffic.sent.end());
  std::set<std::vector<uint8_t>> arrived;
  int falseMessages = 0;
  for (const auto& block : sink.blocks) {
    if (sent.count(block) != 0)
      arrived.insert(block);
    else
      ++falseMessages;
  }
  return {snrDb, static_cast<int>(arrived.size()), falseMessages};
}

void PrintSensitivity() {
  const Traffic traffic = MakeTraffic(kMessagesPerPoint, 1);
  std::printf("\nMessage success rate, %d messages of %d text characters per point,\n", kMessagesPerPoint,
              kTextCharacters);
  std::printf("SNR = tone power / noise power in 300..3300 Hz\n");
  std::printf("%8s %10s %8s\n", "SNR dB", "arrived %", "false");
  std::vector<SensitivityPoint> points;
  for (double snr = kLowestSnrDb; snr <= kHighestSnrDb; snr += 1.0) {
    points.push_back(MeasureAt(traffic, snr));
    std::printf("%8.1f %10d %8d\n", snr, points.back().arrived * 100 / kMessagesPerPoint,
                points.back().falseMessages);
    std::fflush(stdout);
  }
  // The lowest SNR from which on at least 90 % arrive, interpolated.
  const double target = 0.9 * kMessagesPerPoint;
  std::optional<double> at90;
  for (std::size_t i = points.size(); i-- > 0;) {
    if (points[i].arrived < target) {
      if (i + 1 < points.size()) {
        const auto& lo = points[i];
        const auto& hi = points[i + 1];
        at90 = lo.snrDb + (target - lo.arrived) / (hi.arrived - lo.arrived) * (hi.snrDb - lo.snrDb);
      }
      break;
    }
    at90 = points[i].snrDb;
  }
  if (at90)
    std::printf("90 %% of messages arrive from %.1f dB SNR\n", *at90);
  else
    std::printf("90 %% of messages are not reached up to %.0f dB SNR\n", kHighestSnrDb);
}

}  // namespace
}  // namespace talvir

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  talvir::PrintSensitivity();
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("demodulator state: %zu bytes, no heap; peak resident memory of this program: %ld KiB\n",
              sizeof(talvir::VhfDemodulator), usage.ru_maxrss);
  return 0;
}
