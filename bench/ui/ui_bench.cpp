// The window's share of the work: drawing one waterfall line, one
// constellation update, and the whole program playing the demo at real time
// (CPU share and spectrum blocks dropped). On a display when DISPLAY is set
// (run it under xvfb-run), else off-screen.

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <random>

#include "app/application.h"
#include "audio/input_source.h"
#include "audio/stream_driver.h"
#include "ui/constellation_surface.h"
#include "ui/dialog_template.h"
#include "ui/main_dialog.h"
#include "ui/main_dialog_layout.h"
#include "ui/spectrum_column.h"
#include "ui/waterfall_surface.h"

namespace talvir {
namespace {

QSize BoxSize(int w, int h) { return DialogUnits(DialogFont()).ToPixels(w, h); }

// A block's first samples: a tone in noise.
std::array<float, kSpectrumPoints> SampleBlock(std::mt19937& random) {
  std::normal_distribution<float> noise(0.0f, 300.0f);
  std::array<float, kSpectrumPoints> samples{};
  for (int i = 0; i < kSpectrumPoints; ++i) samples[static_cast<std::size_t>(i)] = 4000.0f * std::sin(0.19f * static_cast<float>(i)) + noise(random);
  return samples;
}

void BM_WaterfallLine(benchmark::State& state) {
  std::mt19937 random(1);
  const auto samples = SampleBlock(random);
  SpectrumColumn column;
  WaterfallSurface surface(BoxSize(385, 53));
  SlotStripState strip;
  strip.hfdl = true;
  strip.assignments.fill(0x21);
  int blocks = 0;
  for (auto _ : state) {
    column.Process(samples, kInitialWaterfallGain);
    // 2.46 s slots: a new one every 47 blocks of 52 ms.
    strip.currentSlot = (++blocks / 47) % 13;
    surface.DrawColumn(column.levels(), strip, false);
  }
  benchmark::DoNotOptimize(surface.image().constBits());
}
BENCHMARK(BM_WaterfallLine)->Unit(benchmark::kMicrosecond);

void BM_ConstellationUpdate(benchmark::State& state) {
  std::mt19937 random(2);
  std::normal_distribution<float> spread(0.0f, 0.02f);
  ConstellationFrame frame;
  for (std::size_t i = 0; i < frame.points.size(); ++i) {
    const float phase = static_cast<float>(i % 8) * 0.785398f;
    frame.points[i] = {0.1f * std::cos(phase) + spread(random), 0.1f * std::sin(phase) + spread(random)};
  }
  frame.topCaption = QStringLiteral("TS(9)UA0930");
  frame.bottomCaption = QStringLiteral("1800bps 1.8s");
  ConstellationSurface surface(BoxSize(59, 53));
  for (auto _ : state) surface.Draw(frame);
  benchmark::DoNotOptimize(surface.image().constBits());
}
BENCHMARK(BM_ConstellationUpdate)->Unit(benchmark::kMicrosecond);

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec); };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The first range(0) seconds of the demo through the window at real time:
// decoding, drawing and the desktop's share, all in this process.
void BM_DemoAtRealTime(benchmark::State& state) {
  const auto playFor = std::chrono::seconds(state.range(0));
  for (auto _ : state) {
    std::string error;
    auto input = OpenInputSource({.path = TALVIR_DEMO_WAV}, error);
    if (!input) {
      state.SkipWithError(error.c_str());
      return;
    }
    Application app(DataPaths{std::filesystem::temp_directory_path() / "talvir-bench-ui"},
                    std::make_unique<StreamDriver>(std::move(input->reader), Pacing::kRealTime));
    app.settings().Set(&SettingsRecord::settingsLoaded, 1);
    app.settings().Set(&SettingsRecord::channelAMode, kChannelHf);
    app.settings().Set(&SettingsRecord::channelBMode, kChannelVhf);
    app.settings().Set(&SettingsRecord::spectrumChannel, kSpectrumChannelA);
    CMainDialog window(app, false);
    window.show();
    const double cpuBefore = CpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    window.StartUp();
    QEventLoop loop;
    QTimer::singleShot(playFor, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = CpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    state.counters["cpu_share_%"] = 100.0 * cpu / wall;
    state.counters["blocks"] = static_cast<double>(app.worker().BlocksProcessed());
    state.counters["spectrum_dropped"] = window.link().SpectrumBlocksDropped();
    window.Exit(false);
  }
}
BENCHMARK(BM_DemoAtRealTime)->Arg(30)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
}  // namespace talvir

int main(int argc, char** argv) {
  if (std::getenv("DISPLAY") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qt(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
