#include "cli/decode_loop.h"

#include <thread>

namespace talvir {
namespace {

constexpr std::chrono::milliseconds kAudioClockPoll{1};
constexpr std::chrono::milliseconds kWallClockPoll{10};

}  // namespace

TimerTime AudioClock(uint64_t blocks, double frameRate) {
  const auto frames = static_cast<int64_t>(blocks) * kBlockFrames;
  if (frameRate == kSampleRate) return TimerTime(frames);
  return TimerTime(static_cast<int64_t>(static_cast<double>(frames) * kSampleRate / frameRate));
}

void RunTimersOnAudioClock(AudioWorker& worker, WindowTimers& timers, double frameRate,
                           std::function<void()> decodeFirst) {
  worker.SetAfterBlock([&timers, frameRate, decodeFirst = std::move(decodeFirst)](uint64_t blocks) {
    if (decodeFirst) decodeFirst();
    timers.Advance(AudioClock(blocks, frameRate));
  });
}

bool RunDecodeLoop(Application& app, WindowTimers& timers, TimerClock clock, const std::atomic<int>& stopSignal) {
  const AudioWorker& worker = app.worker();
  const WaveIn& waveIn = app.waveIn();
  const auto wallStart = std::chrono::steady_clock::now();
  while (stopSignal.load() == 0) {
    const uint64_t processed = worker.BlocksProcessed();
    if (clock == TimerClock::kWall) {
      timers.Advance(std::chrono::duration_cast<TimerTime>(std::chrono::steady_clock::now() - wallStart));
    }
    if (waveIn.SourceExhausted() && processed == waveIn.BlocksQueued()) return true;
    std::this_thread::sleep_for(clock == TimerClock::kAudio ? kAudioClockPoll : kWallClockPoll);
  }
  return false;
}

}  // namespace talvir
