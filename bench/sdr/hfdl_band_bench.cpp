// Many HFDL channels of one 250 kHz SDR band on one core: the band's cutter
// and every channel's modem, per second of I/Q, and the memory the channels
// take. Real time is 1 s of band per second.

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <memory>
#include <random>

#include "app/hfdl_band_decoder.h"
#include "testbench/hfdl_band_scenario.h"

namespace talvir {
namespace {

constexpr double kBandRate = 250000.0;
constexpr double kCentreKhz = 8950.0;
constexpr double kSeconds = 8.0;

class NoFrames final : public HfdlFrameReceiver {
 public:
  bool ReceiveFrame(std::span<const uint8_t>, const BurstInfo&) override { return true; }
};

// Channels 10 kHz apart across the band, half of them with a burst, so the
// modems both search and receive.
std::vector<double> Dials(int channels) {
  std::vector<double> dials;
  for (int c = 0; c < channels; ++c) dials.push_back(kCentreKhz - 120.0 + 10.0 * c);
  return dials;
}

const std::vector<std::complex<float>>& Band() {
  static const std::vector<std::complex<float>> band = [] {
    testbench::HfdlBandScenario scenario{.centreKhz = kCentreKhz, .sampleRate = kBandRate, .durationSeconds = kSeconds};
    std::mt19937 random(5);
    for (const double dial : Dials(24)) {
      if (scenario.channels.size() % 2 == 1) {
        scenario.channels.push_back({.dialKhz = dial});
        continue;
      }
      std::vector<uint8_t> frame(200);
      for (auto& b : frame) b = static_cast<uint8_t>(random());
      scenario.channels.push_back({.dialKhz = dial, .snrDb = 20.0, .bursts = {{1.0, 1, frame}}});
    }
    return testbench::RenderHfdlBand(scenario);
  }();
  return band;
}

std::size_t HeapInUse() { return mallinfo2().uordblks; }

void BM_HfdlBandOnOneCore(benchmark::State& state) {
  const auto channels = static_cast<int>(state.range(0));
  const auto& band = Band();
  std::size_t memory = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::size_t before = HeapInUse();
    NoFrames frames;
    std::vector<std::unique_ptr<HfdlModem>> modems;
    std::vector<HfdlModem*> pointers;
    for (int c = 0; c < channels; ++c) {
      modems.push_back(std::make_unique<HfdlModem>(frames));
      pointers.push_back(modems.back().get());
    }
    std::string error;
    auto decoder = HfdlBandDecoder::Create(kBandRate, kCentreKhz, Dials(channels), pointers, 1, error);
    if (!decoder) {
      state.SkipWithError(error.c_str());
      return;
    }
    state.ResumeTiming();
    for (std::size_t at = 0; at < band.size(); at += kBlockFrames)
      decoder->ProcessBand(std::span(band).subspan(at, std::min<std::size_t>(kBlockFrames, band.size() - at)));
    memory = HeapInUse() - before;
  }
  // Seconds of band per second of one core: 1 is just real time.
  state.counters["x_realtime"] =
      benchmark::Counter(kSeconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["MB"] = static_cast<double>(memory) / 1e6;
}
BENCHMARK(BM_HfdlBandOnOneCore)->Arg(4)->Arg(12)->Arg(24)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talvir

