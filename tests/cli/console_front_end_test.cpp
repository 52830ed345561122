// talvir-cli's front end: the console that takes the window's notifications,
// and the decode loop that runs the window's timers on the audio clock.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "audio/capture_sources.h"
#include "audio/stream_driver.h"
#include "cli/console_ui_link.h"
#include "cli/decode_loop.h"
#include "support/temp_dir.h"

namespace talvir {
namespace {

std::string Contents(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;) text.push_back(static_cast<char>(c));
  return text;
}

class ConsoleUiLinkTest : public ::testing::Test {
 protected:
  ~ConsoleUiLinkTest() override {
    std::fclose(out);
    std::fclose(err);
  }
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
};

// Status lines only when asked for, never in the text; named channels are
// told apart; a detached relay is silent.
TEST_F(ConsoleUiLinkTest, TextInOrderWithUnixLineEndsAndStatusLinesOnlyWhenAsked) {
  ConsoleUiLink quiet(out, err, false);
  quiet.AppendDecodedText("first\r\nsecond\r");
  quiet.AppendDecodedText("\nbare\rcarriage\r\n");
  quiet.AppendDecodedText("x\r");
  quiet.AppendDecodedText("y");
  const std::string text = "first\nsecond\nbare\rcarriage\nx\ry";
  ConsoleUiLink verbose(out, err, true);
  UiLinkRelay relay;
  {
    const ScopedUiLink attached(relay, quiet);
    relay.SetModemStatus(0, kListeningText);
    relay.SetSquitterLine(0, "squitter");
    EXPECT_EQ(relay.FlightListInsert("AB123"), 0);
  }
  EXPECT_EQ(Contents(err), "");
  {
    const ScopedUiLink attached(relay, verbose);
    relay.SetModemStatus(0, kListeningText);
    EXPECT_EQ(relay.FlightListInsert("AB123"), 0);
    EXPECT_EQ(relay.FlightListInsert(""), -1) << "an empty line is never listed";
    EXPECT_EQ(relay.FlightListInsert("CD456"), 1);
    relay.FlightListClear();
    EXPECT_EQ(relay.FlightListInsert("EF789"), 0) << "positions restart after a clear";
    relay.SetFlightDetails("details");
    verbose.NameHfChannels({"A", "B"});
    relay.SetModemStatus(0, kListeningText);
    relay.SetSquitterLine(1, "GND 3");
  }
  relay.SetModemStatus(1, "after the front end left");
  EXPECT_EQ(relay.FlightListInsert("AB123"), -1);
  EXPECT_EQ(Contents(err),
            "modem: Listening\nflight: AB123\nflight: CD456\nflight: (list cleared)\nflight: EF789\n"
            "details: details\nmodem A: Listening\nsquitter B: GND 3\n");
  EXPECT_EQ(Contents(out), text) << "status never mixes into the decoded text";
}

class DecodeLoopTest : public ::testing::Test {
 protected:
  std::unique_ptr<Application> FileApp(std::size_t frames) {
    return std::make_unique<Application>(
        DataPaths{dir.path()},
        std::make_unique<StreamDriver>(
            std::make_unique<testing::GeneratedReader>(frames, [](std::size_t) { return std::array<int16_t, 2>{}; }),
            Pacing::kAsFastAsTaken),
        ApplicationOptions{.saveSettingsAtExit = false,
                           .captureCloseTiming = testing::kQuickClose,
                           .workerPause = WorkerPause::kOnlyWhenIdle});
  }
  // The blocks decoded when each tick ran, for a 10 s file on the audio clock.
  std::vector<std::pair<int, uint64_t>> TicksOfTenSecondFile() {
    auto app = FileApp(10 * kSampleRate);
    std::vector<std::pair<int, uint64_t>> ticks;
    WindowTimers timers;
    AudioWorker& worker = app->worker();
    timers.Register(kPublishTimerId, kPublishPeriod, [&] { ticks.emplace_back(4, worker.BlocksProcessed()); });
    timers.Register(kClockTimerId, kClockPeriod, [&] { ticks.emplace_back(5, worker.BlocksProcessed()); });
    RunTimersOnAudioClock(worker, timers);
    EXPECT_TRUE(app->StartupSequence().Ok());
    const std::atomic<int> noSignal{0};
    EXPECT_TRUE(RunDecodeLoop(*app, timers, TimerClock::kAudio, noSignal));
    app->ShutdownSequence();
    return ticks;
  }

  testing::TempDir dir;
};

TEST_F(DecodeLoopTest, TicksOnTheAudioClockSeeExactlyTheAudioBeforeThem) {
  const auto ticks = TicksOfTenSecondFile();
  // 10 s of file and 0.52 s of flush silence: ten clock ticks, three publish.
  ASSERT_EQ(ticks.size(), 13U);
  int clockTicks = 0;
  for (const auto& [timer, blocks] : ticks) {
    if (timer != kClockTimerId) continue;
    ++clockTicks;
    // Right after the first block that ends at or after the tick, ceil(19.2 * k),
    // which is counted once its ticks have run.
    EXPECT_EQ(blocks + 1, static_cast<uint64_t>((clockTicks * kSampleRate + kBlockFrames - 1) / kBlockFrames))
        << "tick " << clockTicks;
  }
  EXPECT_EQ(clockTicks, 10);
  EXPECT_EQ(TicksOfTenSecondFile(), ticks) << "the same on every run";
}

TEST_F(DecodeLoopTest, ASignalEndsTheLoopBeforeTheInput) {
  auto app = FileApp(600 * kSampleRate);
  WindowTimers timers;
  ASSERT_TRUE(app->StartupSequence().Ok());
  const std::atomic<int> signal{2};
  EXPECT_FALSE(RunDecodeLoop(*app, timers, TimerClock::kWall, signal));
  app->ShutdownSequence();
  EXPECT_LT(app->worker().BlocksProcessed(), 600U * kSampleRate / kBlockFrames);
}

}  // namespace
}  // namespace talvir
