// Channels cut from one band: how many seconds of band one core gets through
// per CPU second (x_realtime), against the number of channels, and the heap
// that the cutter and decoders take (heap_bytes).
//
// - ACARS: a 2.4 MS/s airband band, every channel cut, AM-demodulated and
//   decoded by its own VHF demodulator, all on one thread; and the cutter
//   alone.
// - HFDL: the cutter alone on a 250 kS/s band, channels of the modem's width
//   to 7353 samples/s.

#include <benchmark/benchmark.h>

#include <vector>

#include "app/airband_channels.h"
#include "app/airband_decoders.h"
#include "outputs/output_sinks.h"
#include "sdr/channel_cutter.h"
#include "support/counting_new.h"
#include "testbench/airband_scenario.h"
#include "testbench/gaussian_source.h"

namespace talvir {
namespace {

// Counts what `make` allocates, FFTW's aligned buffers aside (they are
// added by the caller from the sizes).
template <typename Make>
auto Counted(std::size_t& bytes, Make make) {
  const std::size_t before = testing::allocatedBytes.load();
  auto made = make();
  bytes = testing::allocatedBytes.load() - before;
  return made;
}

struct NullBaseband final : BasebandSink {
  void OnBaseband(std::size_t, std::span<const std::complex<float>> samples) override {
    benchmark::DoNotOptimize(samples.data());
  }
};

// The demo's four channels, then channels with noise only.
std::vector<double> AirbandChannelsHz(std::size_t count) {
  std::vector<double> hz;
  for (const double mhz : testbench::kAirbandDemoChannelsMhz) hz.push_back(mhz * 1e6);
  for (double mhz = 130.500; hz.size() < count; mhz += 0.1) hz.push_back(mhz * 1e6);
  hz.resize(count);
  return hz;
}

const std::vector<std::complex<float>>& AirbandBand() {
  static const std::vector<std::complex<float>> band = testbench::RenderAirband(testbench::AirbandDemoScenario(1));
  return band;
}

constexpr double kAirbandRate = 2.4e6;
constexpr double kAirbandCentreHz = 131.0e6;

void BM_AirbandAcars(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  const auto& band = AirbandBand();
  const std::vector<double> hz = AirbandChannelsHz(count);
  std::vector<double> mhz;
  for (const double h : hz) mhz.push_back(h / 1e6);
  Settings settings;
  LogFiles logs(settings, DataPaths{"/nonexistent"});
  DecodedText text(settings, &logs);
  NoExternalOutputs none;
  FlightDb flights(settings, none);
  std::string error;
  std::size_t channelBytes = 0, decoderBytes = 0;
  auto channels =
      Counted(channelBytes, [&] { return AirbandChannels::Create(kAirbandRate, kAirbandCentreHz, hz, error); });
  auto decoders = Counted(decoderBytes, [&] {
    return std::make_unique<AirbandDecoders>(AcarsMessageOutputs{settings, text, logs, flights, none}, mhz);
  });
  for (auto _ : state) channels->Process(band, *decoders);
  state.counters["x_realtime"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * static_cast<double>(band.size()) / kAirbandRate,
      benchmark::Counter::kIsRate);
  state.counters["heap_bytes"] = static_cast<double>(channelBytes + decoderBytes);
}
BENCHMARK(BM_AirbandAcars)->Arg(1)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

void CutterOnly(benchmark::State& state, double rate, const ChannelShape& shape, std::vector<double> offsets,
                const std::vector<std::complex<float>>& band) {
  std::string error;
  std::size_t bytes = 0;
  auto cutter = Counted(bytes, [&] { return ChannelCutter::Create(rate, shape, offsets, error); });
  NullBaseband sink;
  for (auto _ : state) cutter->Process(band, sink);
  state.counters["x_realtime"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * static_cast<double>(band.size()) / rate, benchmark::Counter::kIsRate);
  // The forward FFT's two buffers and the inverse FFT's two, FFTW's own.
  const std::size_t fftBytes =
      2 * sizeof(std::complex<float>) *
      (cutter->HopSamples() * 4 / 3 + cutter->HopSamples() * 4 / 3 / static_cast<std::size_t>(shape.decimation));
  state.counters["heap_bytes"] = static_cast<double>(bytes + fftBytes);
}

void BM_AirbandCutter(benchmark::State& state) {
  const ChannelShape shape{.decimation = DecimationFor(kAirbandRate, kSampleRate),
                           .passHz = AirbandChannels::kPassHz,
                           .stopHz = AirbandChannels::kStopHz};
  std::vector<double> offsets;
  for (const double hz : AirbandChannelsHz(static_cast<std::size_t>(state.range(0)))) {
    offsets.push_back(hz - kAirbandCentreHz);
  }
  CutterOnly(state, kAirbandRate, shape, offsets, AirbandBand());
}
BENCHMARK(BM_AirbandCutter)->Arg(4)->Arg(8)->Unit(benchmark::kMillisecond);

// HFDL channels 5 kHz apart across a 250 kHz band; noise in it.
constexpr double kHfRate = 250e3;
constexpr double kHfModemRate = 7200.0;

void BM_HfdlCutter(benchmark::State& state) {
  static const std::vector<std::complex<float>> band = [] {
    std::vector<std::complex<float>> samples(static_cast<std::size_t>(10 * kHfRate));
    testbench::GaussianSource noise(1);
    for (auto& s : samples) s = std::complex<float>(0.1 * noise.NextComplex());
    return samples;
  }();
  const ChannelShape shape{.decimation = DecimationFor(kHfRate, kHfModemRate), .passHz = 1700, .stopHz = 3200};
  std::vector<double> offsets;
  for (int c = 0; c < state.range(0); ++c) offsets.push_back(-115000.0 + 10000.0 * c - (c % 2) * 5000.0);
  CutterOnly(state, kHfRate, shape, offsets, band);
}
BENCHMARK(BM_HfdlCutter)->Arg(4)->Arg(12)->Arg(24)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talvir

BENCHMARK_MAIN();
