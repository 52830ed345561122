#include "app/application.h"

#include <gtest/gtest.h>

#include <thread>

#include "audio/capture_sources.h"
#include "audio/fake_capture_driver.h"
#include "audio/stream_driver.h"
#include "recording_sinks.h"
#include "support/recording_ui_link.h"
#include "support/temp_dir.h"

namespace talvir {
namespace {

using testing::kQuickClose;

// A file of frames whose left sample is the frame number and whose right one
// is 0x8000.
std::unique_ptr<StreamDriver> CountingFile(std::size_t frames, Pacing pacing = Pacing::kAsFastAsTaken) {
  return std::make_unique<StreamDriver>(
      std::make_unique<testing::GeneratedReader>(
          frames, [](std::size_t n) { return std::array{static_cast<int16_t>(n & 0x7FFF), int16_t{-32768}}; }),
      pacing);
}

void WaitForEnd(WaveIn const& waveIn, AudioWorker& worker) {
  while (!(waveIn.SourceExhausted() && worker.BlocksProcessed() == waveIn.BlocksQueued())) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

// A counting file running through the capture cycle to a worker (started by
// the test).
struct FileCapture {
  explicit FileCapture(std::size_t frames, DecoderSinks sinks = {})
      : driver(CountingFile(frames)), worker(waveIn, settings, sinks, UiLink::None()) {
    EXPECT_TRUE(waveIn.Allocate());
    EXPECT_TRUE(waveIn.AudioCaptureOpen().Ok());
  }
  ~FileCapture() {
    waveIn.AudioCaptureClose();
    for (int b = 0; b < kCaptureBufferCount; ++b) EXPECT_EQ(waveIn.Buffer(b).user.load(), 0) << "still with the driver";
    waveIn.workerStop = 1;
    worker.Join();
  }

  Settings settings;
  std::unique_ptr<StreamDriver> driver;
  WaveIn waveIn{*driver, settings, kQuickClose};
  AudioWorker worker;
};

TEST(AudioWorker, FeedsEverySampleOfAFileToTheModemInOrder) {
  constexpr std::size_t kFrames = 5 * kBlockFrames + 123;
  std::vector<testing::SinkCall> calls;
  testing::RecordingSink hf("hf", calls);
  testing::RecordingSink vhfB("vhfB", calls);
  FileCapture capture(kFrames, {{&hf, nullptr}, nullptr, &vhfB});
  capture.settings.Set(&SettingsRecord::channelAMode, kChannelHf);
  capture.settings.Set(&SettingsRecord::channelBMode, kChannelVhf);
  capture.worker.Start();
  WaitForEnd(capture.waveIn, capture.worker);

  const std::size_t blocks = 6 + kFlushSilenceBlocks;
  EXPECT_EQ(capture.worker.BlocksProcessed(), blocks);
  ASSERT_EQ(calls.size(), 2 * blocks);
  std::size_t frame = 0;
  for (std::size_t i = 0; i < calls.size(); i += 2) {
    ASSERT_EQ(calls[i].sink, "hf");
    ASSERT_EQ(calls[i + 1].sink, "vhfB");
    for (std::size_t k = 0; k < kBlockFrames; ++k, ++frame) {
      const float left = frame < kFrames ? static_cast<float>(frame & 0x7FFF) / 32768.0F : 0.0F;
      const float right = frame < kFrames ? -32767.0F / 32768.0F : 0.0F;
      ASSERT_EQ(calls[i].samples[k], left) << "frame " << frame;
      ASSERT_EQ(calls[i + 1].samples[k], right) << "frame " << frame;
    }
  }
}

TEST(AudioWorker, TakesNothingWhileCaptureIsClosing) {
  FileCapture capture(5 * kBlockFrames);
  while (capture.waveIn.BlocksQueued() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  capture.waveIn.captureClosing = 1;
  EXPECT_FALSE(capture.worker.RunOnce());
  capture.waveIn.captureClosing = 0;
  EXPECT_TRUE(capture.worker.RunOnce());
}

class ApplicationTest : public ::testing::Test {
 protected:
  DataPaths Paths() const { return DataPaths{dir.path()}; }
  testing::TempDir dir;
  testing::RecordingUiLink ui;
};

TEST_F(ApplicationTest, RunsAFileThroughAndShutsDownCleanly) {
  Application app(Paths(), CountingFile(3 * kBlockFrames),
                  {.saveSettingsAtExit = false, .captureCloseTiming = kQuickClose});
  const ScopedUiLink attached(app.ui(), ui);
  EXPECT_FALSE(app.LoadSettings());
  app.settings().Set(&SettingsRecord::spectrumChannel, kSpectrumChannelA);
  ASSERT_TRUE(app.StartupSequence().Ok());
  WaitForEnd(app.waveIn(), app.worker());
  app.ShutdownSequence();
  EXPECT_EQ(app.worker().BlocksProcessed(), 3U + kFlushSilenceBlocks);
  EXPECT_EQ(ui.spectrum.size(), 3U + kFlushSilenceBlocks) << "one spectrum block per block";
  EXPECT_FALSE(std::filesystem::exists(Paths().SettingsFile())) << "told not to save";
}

TEST_F(ApplicationTest, AFailedOpenIsReportedAndTheProgramCarriesOn) {
  auto busy = std::make_unique<testing::FakeCaptureDriver>();
  busy->openResult = {OpenStatus::kAllocated, "busy"};
  Application app(Paths(), std::move(busy), {.captureCloseTiming = kQuickClose});
  app.LoadSettings();
  const OpenResult result = app.StartupSequence();
  EXPECT_EQ(OpenFailureMessage(result.status), "Unable to Open Soundcard Input ALLOCATED");
  EXPECT_EQ(app.waveIn().workerStop.load(), 0) << "the worker idles";
  app.settings().Set(&SettingsRecord::channelBMode, kChannelVhf);
  app.ShutdownSequence();
  EXPECT_EQ(app.waveIn().workerStop.load(), 1);
  // Saved at exit, configs/ created if missing.
  Settings reloaded;
  ASSERT_TRUE(reloaded.Load(Paths().SettingsFile()));
  EXPECT_EQ(reloaded.Get(&SettingsRecord::channelBMode), kChannelVhf);
}

TEST_F(ApplicationTest, ReconfiguringReopensCaptureWithTheNewDevice) {
  auto driver = std::make_unique<testing::FakeCaptureDriver>();
  testing::FakeCaptureDriver& fake = *driver;
  Application app(Paths(), std::move(driver), {.saveSettingsAtExit = false, .captureCloseTiming = kQuickClose});
  app.LoadSettings();
  ASSERT_TRUE(app.StartupSequence().Ok());
  app.settings().SetText(&SettingsRecord::soundCardName, "USB Audio CODEC");
  ASSERT_TRUE(app.ReconfigureCapture().Ok());
  EXPECT_EQ(fake.openedName, "USB Audio CODEC");
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"open", "reset", "start", "stop", "reset", "close", "open",
                                                  "reset", "start"}));
  EXPECT_EQ(fake.HeldCount(), 10U);
  app.ShutdownSequence();
  EXPECT_EQ(fake.HeldCount(), 0U);
}

TEST_F(ApplicationTest, DestroyingARunningApplicationRunsTheShutdownSequence) {
  auto app = std::make_unique<Application>(
      Paths(), CountingFile(100 * kBlockFrames, Pacing::kRealTime),
      ApplicationOptions{.captureCloseTiming = kQuickClose});
  ASSERT_TRUE(app->StartupSequence().Ok());
  while (app->worker().BlocksProcessed() == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  // The worker is joined before the buffers it reads go (ASan would see it).
  app.reset();
  EXPECT_TRUE(std::filesystem::exists(Paths().SettingsFile()));
}

}  // namespace
}  // namespace talvir
