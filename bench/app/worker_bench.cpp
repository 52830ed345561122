// The worker's own share of each 52 ms block, and how fast a file goes
// through the capture cycle when no decoder is wired.

#include <benchmark/benchmark.h>

#include <thread>

#include "app/audio_worker.h"
#include "audio/stream_driver.h"

namespace talvir {
namespace {

class NullHf : public HfSampleSink {
 public:
  void ModemFeedSamples(std::span<const float> samples) override { benchmark::DoNotOptimize(samples.data()); }
};

void BM_ConvertAndRouteBlock(benchmark::State& state) {
  Settings settings;
  settings.Set(&SettingsRecord::channelAMode, kChannelHf);
  settings.Set(&SettingsRecord::spectrumChannel, kSpectrumSum);
  NullHf hf;
  ChannelRouter router(settings, {&hf, nullptr, nullptr});
  CaptureBlock block;
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 131);
  for (auto _ : state) router.ProcessBlock(block);
  state.SetItemsProcessed(state.iterations() * kBlockFrames);  // frames/s
}
BENCHMARK(BM_ConvertAndRouteBlock);

class SilenceReader : public FrameReader {
 public:
  explicit SilenceReader(std::size_t frames) : left_(frames) {}
  std::size_t ReadFrames(std::span<uint8_t> out, const std::atomic<bool>&) override {
    const std::size_t n = std::min(left_, out.size() / kCaptureBytesPerFrame);
    std::fill_n(out.begin(), n * kCaptureBytesPerFrame, uint8_t{0});
    left_ -= n;
    return n;
  }

 private:
  std::size_t left_;
};

// One minute of audio from a file source through queue and worker.
void BM_FileThroughCaptureCycle(benchmark::State& state) {
  constexpr std::size_t kFrames = 60 * kSampleRate;
  for (auto _ : state) {
    Settings settings;
    StreamDriver driver(std::make_unique<SilenceReader>(kFrames), Pacing::kAsFastAsTaken);
    WaveIn waveIn(driver, settings, CloseTiming{1000, std::chrono::milliseconds(1), std::chrono::milliseconds(0)});
    AudioWorker worker(waveIn, settings, {}, WorkerPause::kOnlyWhenIdle);
    waveIn.Allocate();
    waveIn.AudioCaptureOpen();
    worker.Start();
    while (!(waveIn.SourceExhausted() && worker.BlocksProcessed() == waveIn.BlocksQueued())) {
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    waveIn.AudioCaptureClose();
    waveIn.workerStop = 1;
    worker.Join();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kFrames));
}
BENCHMARK(BM_FileThroughCaptureCycle)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace talvir

BENCHMARK_MAIN();
