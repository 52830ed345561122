// The worker's own share of each 52 ms block, and how fast a file goes
// through the capture cycle when no decoder is wired.

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <filesystem>

#include <thread>

#include "app/audio_worker.h"
#include "audio/input_source.h"
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
  ChannelRouter router(settings, {{&hf, nullptr}, nullptr, nullptr});
  CaptureBlock block;
  for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 131);
  for (auto _ : state) router.ProcessBlock(block);
  state.SetItemsProcessed(state.iterations() * kBlockFrames);  // frames/s
}
BENCHMARK(BM_ConvertAndRouteBlock);

// One minute of a WAV file through libsndfile, queue and worker.
void BM_FileThroughCaptureCycle(benchmark::State& state) {
  constexpr std::size_t kFrames = 60 * kSampleRate;
  const std::filesystem::path wav = std::filesystem::temp_directory_path() / "talvir-bench-minute.wav";
  SF_INFO info{};
  info.samplerate = kSampleRate;
  info.channels = kCaptureChannels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(wav.c_str(), SFM_WRITE, &info);
  const std::vector<int16_t> samples(kFrames * kCaptureChannels, 1000);
  sf_writef_short(file, samples.data(), kFrames);
  sf_close(file);

  for (auto _ : state) {
    std::string error;
    Settings settings;
    StreamDriver driver(std::move(OpenInputSource({.path = wav.string()}, error)->reader), Pacing::kAsFastAsTaken);
    WaveIn waveIn(driver, settings, CloseTiming{1000, std::chrono::milliseconds(1), std::chrono::milliseconds(0)});
    AudioWorker worker(waveIn, settings, {}, UiLink::None(), WorkerPause::kOnlyWhenIdle);
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
  std::filesystem::remove(wav);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kFrames));
}
BENCHMARK(BM_FileThroughCaptureCycle)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace talvir

BENCHMARK_MAIN();
