// Modem throughput and sensitivity.
//
//   talvir_bench_modem                  throughput, then the quick sensitivity table
//   talvir_bench_modem --sweep=full     every SNR point, 50 bursts each
//   talvir_bench_modem --sweep=none     throughput only
//
// Throughput is seconds of audio per CPU second on one core; sensitivity is
// the share of bursts decoded to exactly the sent bytes against the SNR in
// 3 kHz, in noise alone and in two fading presets.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/decoder_links.h"
#include "modem/hfdl_modem.h"
#include "testbench/hf_channel.h"
#include "testbench/hfdl_modulator.h"

namespace talvir {
namespace {

class CountingReceiver : public HfdlFrameReceiver {
 public:
  bool ReceiveFrame(std::span<const uint8_t> frame, const BurstInfo& burst) override {
    last.assign(frame.begin(), frame.end());
    lastCode = burst.rateCode;
    ++frames;
    return true;
  }
  std::vector<uint8_t> last;
  int lastCode = -1;
  int frames = 0;
};

std::vector<uint8_t> RandomFrame(int code, std::mt19937& random) {
  std::vector<uint8_t> frame(static_cast<std::size_t>(hfdl::Rate(code).frameBytes), 0);
  for (std::size_t i = 0; i + 1 < frame.size(); ++i) frame[i] = static_cast<uint8_t>(random());
  return frame;
}

void Feed(HfdlModem& modem, const std::vector<float>& audio) {
  for (std::size_t at = 0; at + kBlockFrames <= audio.size(); at += kBlockFrames)
    modem.ModemFeedSamples(std::span<const float>(audio.data() + at, kBlockFrames));
}

constexpr double kThroughputSeconds = 60.0;

void BM_NoiseOnly(benchmark::State& state) {
  testbench::ChannelOptions channel;
  const auto noise = testbench::ShapedNoise(static_cast<std::size_t>(kThroughputSeconds * kSampleRate), 0.01, channel);
  CountingReceiver receiver;
  auto modem = std::make_unique<HfdlModem>(receiver);
  for (auto _ : state) Feed(*modem, noise);
  state.counters["x_realtime"] =
      benchmark::Counter(kThroughputSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["false_frames"] = receiver.frames;
}

void BM_Traffic1800(benchmark::State& state) {
  // Back-to-back 1800 bps bursts at 20 dB: the modem is always receiving.
  std::mt19937 random(1);
  std::vector<float> audio;
  while (audio.size() < static_cast<std::size_t>(kThroughputSeconds * kSampleRate)) {
    testbench::HfdlBurstOptions burst;
    burst.startSeconds = 0.02;
    const auto one = testbench::ModulateHfdlBurst(RandomFrame(0, random), 0, burst);
    audio.insert(audio.end(), one.begin(), one.end());
  }
  testbench::ChannelOptions channel;
  channel.snrDb = 20.0;
  audio = testbench::ApplyChannel(audio, channel);
  const double seconds = static_cast<double>(audio.size()) / kSampleRate;
  CountingReceiver receiver;
  auto modem = std::make_unique<HfdlModem>(receiver);
  for (auto _ : state) Feed(*modem, audio);
  state.counters["x_realtime"] = benchmark::Counter(seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["frames_per_pass"] = static_cast<double>(receiver.frames) / static_cast<double>(state.iterations());
}

BENCHMARK(BM_NoiseOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Traffic1800)->Unit(benchmark::kMillisecond);

// --- Sensitivity ---------------------------------------------------------------

struct Trial {
  bool detected = false;
  bool correct = false;
};

Trial RunBurst(int code, double snrDb, testbench::FadingPreset fading, uint32_t seed) {
  std::mt19937 random(seed);
  const auto frame = RandomFrame(code, random);
  testbench::HfdlBurstOptions burst;
  burst.startSeconds = 0.1 + 0.2 * std::uniform_real_distribution<double>()(random);
  burst.carrierPhase = 6.28 * std::uniform_real_distribution<double>()(random);
  auto audio = testbench::ModulateHfdlBurst(frame, code, burst);
  audio.resize(audio.size() + kSampleRate / 2, 0.0f);
  testbench::ChannelOptions channel;
  channel.snrDb = snrDb;
  channel.fading = fading;
  channel.seed = seed;
  channel.signalPower = static_cast<double>(burst.amplitude * burst.amplitude) / 2.0;
  audio = testbench::ApplyChannel(audio, channel);
  CountingReceiver receiver;
  auto modem = std::make_unique<HfdlModem>(receiver);
  Feed(*modem, audio);
  return {receiver.frames > 0, receiver.frames == 1 && receiver.last == frame};
}

struct RateRow {
  int code;
  const char* name;
  double goalDb;
};
constexpr RateRow kRates[] = {{6, "300", -3.0}, {4, "600", 2.0}, {2, "1200", 3.0}, {0, "1800", 5.0}};

void SensitivityTable(bool full) {
  const int bursts = full ? 50 : 20;
  const double step = full ? 1.0 : 2.0;
  struct Channel {
    testbench::FadingPreset preset;
    const char* name;
    double lo;
    double hi;
  };
  const Channel channels[] = {{testbench::FadingPreset::kNone, "noise", -8.0, 10.0},
                              {testbench::FadingPreset::kModerate, "moderate", -4.0, 24.0},
                              {testbench::FadingPreset::kDisturbed, "disturbed", -4.0, 24.0}};
  std::printf("\nSensitivity: share of %d bursts decoded exactly (detected in brackets), SNR in 3 kHz\n", bursts);
  for (const auto& ch : channels) {
    if (!full && ch.preset != testbench::FadingPreset::kNone && false) continue;
    std::printf("\n%-9s", ch.name);
    for (double snr = ch.lo; snr <= ch.hi + 1e-9; snr += step) std::printf(" %9.0f", snr);
    std::printf("   90%% at\n");
    for (const auto& rate : kRates) {
      std::printf("%5s bps", rate.name);
      double at90 = 1e9;
      for (double snr = ch.lo; snr <= ch.hi + 1e-9; snr += step) {
        int ok = 0;
        int detected = 0;
        for (int b = 0; b < bursts; ++b) {
          const Trial t = RunBurst(rate.code, snr, ch.preset, static_cast<uint32_t>(1000 * b + 7 * rate.code + 1));
          ok += t.correct;
          detected += t.detected;
        }
        std::printf(" %3d%%(%3d)", 100 * ok / bursts, 100 * detected / bursts);
        std::fflush(stdout);
        if (10 * ok >= 9 * bursts && at90 > 1e8) at90 = snr;
        if (10 * ok >= 9 * bursts && snr > at90 + 2 * step) break;
      }
      if (at90 < 1e8)
        std::printf("   %+.0f dB%s\n", at90, ch.preset == testbench::FadingPreset::kNone ? (at90 <= rate.goalDb ? " (goal met)" : " (goal missed)") : "");
      else
        std::printf("   not reached\n");
    }
  }
}

}  // namespace
}  // namespace talvir

int main(int argc, char** argv) {
  std::string sweep = "quick";
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    if (std::strncmp(argv[i], "--sweep=", 8) == 0)
      sweep = argv[i] + 8;
    else
      rest.push_back(argv[i]);
  }
  int restCount = static_cast<int>(rest.size());
  benchmark::Initialize(&restCount, rest.data());
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::printf("HfdlModem object: %.0f KiB\n", static_cast<double>(sizeof(talvir::HfdlModem)) / 1024.0);
  if (sweep != "none") talvir::SensitivityTable(sweep == "full");
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("\nPeak resident memory of this benchmark: %.1f MiB\n", static_cast<double>(usage.ru_maxrss) / 1024.0);
  return 0;
}
