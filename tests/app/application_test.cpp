// The application's audio path: samples converted and routed to the
// decoders each channel's mode names, the worker taking a file through the
// capture cycle, and the application's start, reconfiguration and shutdown.

#include "app/application.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "app/channel_router.h"
#include "app/sample_conversion.h"
#include "audio/capture_sources.h"
#include "audio/fake_capture_driver.h"
#include "audio/stream_driver.h"
#include "support/recording_ui_link.h"
#include "support/temp_dir.h"

namespace talvir {
namespace {

// Which decoder got which samples, in one shared log.
struct SinkCall {
  std::string sink;
  std::vector<float> samples;
};

class RecordingSink : public HfSampleSink, public VhfBlockSink {
 public:
  RecordingSink(std::string name, std::vector<SinkCall>& log) : name_(std::move(name)), log_(log) {}
  void ModemFeedSamples(std::span<const float> samples) override { Record(samples); }
  void ProcessBlock(std::span<const float> samples) override { Record(samples); }

 private:
  void Record(std::span<const float> samples) { log_.push_back({name_, {samples.begin(), samples.end()}}); }
  std::string name_;
  std::vector<SinkCall>& log_;
};

TEST(SampleConversion, ReadsNegativeSamplesAsOnesComplement) {
  const struct {
    uint16_t sample;
    float value;
    bool negative;
  } cases[] = {{0x7FFF, 32767.0F / 32768.0F, false},
               {0x8000, -32767.0F / 32768.0F, true},  // never -1.0
               {0xFFFF, 0.0F, true},                  // -1 becomes -0.0
               {0xFFFE, -1.0F / 32768.0F, true},
               {0x0000, 0.0F, false},
               {0x0001, 1.0F / 32768.0F, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(ConvertSample(c.sample), c.value) << std::hex << c.sample;
    EXPECT_EQ(std::signbit(ConvertSample(c.sample)), c.negative) << std::hex << c.sample;
  }
}

// Left samples 0x0100 (1/128), right samples 0x0040 (1/512).
constexpr float kA = 256.0F / 32768.0F;
constexpr float kB = 64.0F / 32768.0F;

CaptureBlock TwoToneBlock() {
  CaptureBlock block{};
  for (std::size_t k = 0; k < kBlockFrames; ++k) {
    block[4 * k + 1] = 0x01;
    block[4 * k + 2] = 0x40;
  }
  return block;
}

bool AllEqual(const std::vector<float>& samples, float value) {
  return samples.size() == kBlockFrames &&
         std::all_of(samples.begin(), samples.end(), [&](float s) { return s == value; });
}

class ChannelRouterTest : public ::testing::Test {
 protected:
  std::vector<SinkCall> calls;
  RecordingSink hf1{"hf1", calls};
  RecordingSink hf2{"hf2", calls};
  RecordingSink vhfA{"vhfA", calls};
  RecordingSink vhfB{"vhfB", calls};
  Settings settings;
  testing::RecordingUiLink ui;
};

// The decoder a channel in this mode feeds: the first channel set to HF
// feeds the first modem, the second the other.
const char* Decoder(int mode, const char* vhf, int& hfSeen) {
  if (mode == kChannelVhf) return vhf;
  if (mode != kChannelHf) return nullptr;
  return hfSeen++ == 0 ? "hf1" : "hf2";
}

TEST_F(ChannelRouterTest, EveryChannelAndSpectrumCombination) {
  ChannelRouter router(settings, {{&hf1, &hf2}, &vhfA, &vhfB}, ui);
  const CaptureBlock block = TwoToneBlock();
  for (int modeA = 0; modeA <= 2; ++modeA) {
    for (int modeB = 0; modeB <= 2; ++modeB) {
      for (int spectrum = 0; spectrum <= 3; ++spectrum) {
        SCOPED_TRACE(::testing::Message() << "A " << modeA << " B " << modeB << " spectrum " << spectrum);
        calls.clear();
        ui.spectrum.clear();
        settings.Set(&SettingsRecord::channelAMode, modeA);
        settings.Set(&SettingsRecord::channelBMode, modeB);
        settings.Set(&SettingsRecord::spectrumChannel, spectrum);
        router.ProcessBlock(block);

        // A before B, each to its own decoder, never summed.
        std::vector<std::string> expected;
        int hfSeen = 0;
        if (const char* d = Decoder(modeA, "vhfA", hfSeen)) expected.push_back(d);
        if (const char* d = Decoder(modeB, "vhfB", hfSeen)) expected.push_back(d);
        ASSERT_EQ(calls.size(), expected.size());
        for (std::size_t i = 0; i < calls.size(); ++i) {
          EXPECT_EQ(calls[i].sink, expected[i]);
          const bool fromA = i == 0 && modeA != kChannelNone;
          EXPECT_TRUE(AllEqual(calls[i].samples, fromA ? kA : kB)) << calls[i].sink;
        }

        const bool postA = spectrum == kSpectrumChannelA && modeA != kChannelNone;
        const bool postB = spectrum == kSpectrumChannelB && modeB != kChannelNone;
        const bool postSum = spectrum == kSpectrumSum;
        ASSERT_EQ(ui.spectrum.size(), postA || postB || postSum ? 1U : 0U);
        if (ui.spectrum.empty()) continue;
        EXPECT_EQ(ui.spectrum[0].channel, postB ? 1 : 0);
        EXPECT_TRUE(AllEqual(ui.spectrum[0].samples, postA ? kA : postB ? kB : kA + kB));
      }
    }
  }
}

// The combinations above ran on one router: modes are read again for every
// block and the sum starts afresh. Missing decoders are skipped.
TEST_F(ChannelRouterTest, MissingDecodersAreSkipped) {
  ChannelRouter none(settings, {}, ui);
  settings.Set(&SettingsRecord::channelAMode, kChannelVhf);
  settings.Set(&SettingsRecord::channelBMode, kChannelHf);
  settings.Set(&SettingsRecord::spectrumChannel, kSpectrumChannelB);
  none.ProcessBlock(TwoToneBlock());
  EXPECT_TRUE(calls.empty());
  ASSERT_EQ(ui.spectrum.size(), 1U);
  EXPECT_TRUE(AllEqual(ui.spectrum[0].samples, kB));
}

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
  std::vector<SinkCall> calls;
  RecordingSink hf("hf", calls);
  RecordingSink vhfB("vhfB", calls);
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
};

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
  EXPECT_FALSE(app.LoadSettings());
  ASSERT_TRUE(app.StartupSequence().Ok());
  app.settings().SetText(&SettingsRecord::soundCardName, "USB Audio CODEC");
  ASSERT_TRUE(app.ReconfigureCapture().Ok());
  EXPECT_EQ(fake.openedName, "USB Audio CODEC");
  EXPECT_EQ(fake.calls, (std::vector<std::string>{"open", "reset", "start", "stop", "reset", "close", "open",
                                                  "reset", "start"}));
  EXPECT_EQ(fake.HeldCount(), 10U);
  app.ShutdownSequence();
  EXPECT_EQ(fake.HeldCount(), 0U);
  EXPECT_FALSE(std::filesystem::exists(Paths().SettingsFile())) << "told not to save";
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
