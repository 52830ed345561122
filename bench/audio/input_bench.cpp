// How fast each kind of input becomes the capture layer's 48000 frames/s:
// items are seconds of audio out per second of CPU time.

#include <benchmark/benchmark.h>
#include <sndfile.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <vector>

#include "audio/capture_buffer.h"
#include "audio/input_source.h"

namespace talvir {
namespace {

constexpr double kSeconds = 30;

std::filesystem::path Scratch(const char* name) { return std::filesystem::temp_directory_path() / name; }

// Every frame of the input, discarded.
void Drain(benchmark::State& state, const InputSpec& spec) {
  std::vector<uint8_t> block(kCaptureBufferBytes);
  const std::atomic<bool> stop{false};
  for (auto _ : state) {
    std::string error;
    auto input = OpenInputSource(spec, error);
    if (!input) {
      state.SkipWithError(error.c_str());
      return;
    }
    while (input->reader->ReadFrames(block, stop) == kBlockFrames) benchmark::DoNotOptimize(block.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kSeconds));
}

void BM_SoundFileAt12600(benchmark::State& state) {
  const auto path = Scratch("talvir-bench-12600.wav");
  SF_INFO info{};
  info.samplerate = 12600;
  info.channels = 1;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  std::vector<int16_t> samples(static_cast<std::size_t>(kSeconds * info.samplerate));
  for (std::size_t n = 0; n < samples.size(); ++n) samples[n] = static_cast<int16_t>(8000 * std::sin(0.7 * n));
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
  sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size()));
  sf_close(file);
  Drain(state, {.path = path.string()});
  std::filesystem::remove(path);
}
BENCHMARK(BM_SoundFileAt12600)->Unit(benchmark::kMillisecond);

// Raw I/Q of rate `range(0)`, 8-bit as an RTL-SDR writes it.
void BM_RawIqCu8(benchmark::State& state) {
  const auto rate = static_cast<double>(state.range(0));
  const auto path = Scratch("talvir-bench-iq.cu8");
  {
    std::ofstream out(path, std::ios::binary);
    std::vector<char> chunk(2 * 4096);
    for (std::size_t k = 0; k < chunk.size(); ++k) chunk[k] = static_cast<char>(128 + 60 * std::sin(0.3 * k));
    for (double done = 0; done < kSeconds * rate; done += 4096) out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
  }
  Drain(state, {.path = path.string(), .iq = true, .iqFormat = IqFormat::kCu8, .iqRate = rate, .iqDialHz = rate / 5});
  std::filesystem::remove(path);
}
BENCHMARK(BM_RawIqCu8)->Arg(12000)->Arg(240000)->Arg(2400000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace talvir

BENCHMARK_MAIN();
