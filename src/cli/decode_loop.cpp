#include "cli/decode_loop.h"

#include <limits>
#include <thread>

namespace talvir {
namespace {

constexpr std::chrono::milliseconds kAudioClockPoll{1};
constexpr std::chrono::milliseconds kWallClockPoll{10};

uint64_t BlocksCovering(TimerTime time) {
  return static_cast<uint64_t>((time.count() + kBlockFrames - 1) / kBlockFrames);
}

TimerTime AudioClock(uint64_t blocks) { return TimerTime(static_cast<int64_t>(blocks) * kBlockFrames); }

}  // namespace

void HoldWorkerAtNextTick(AudioWorker& worker, const WindowTimers& timers) {
  const auto due = timers.NextDue();
  worker.SetBlockLimit(due ? BlocksCovering(*due) : std::numeric_limits<uint64_t>::max());
}

bool RunDecodeLoop(Application& app, WindowTimers& timers, TimerClock clock, const std::atomic<int>& stopSignal) {
  AudioWorker& worker = app.worker();
  const WaveIn& waveIn = app.waveIn();
  const auto wallStart = std::chrono::steady_clock::now();
  while (stopSignal.load() == 0) {
    const uint64_t processed = worker.BlocksProcessed();
    if (clock == TimerClock::kAudio) {
      timers.Advance(AudioClock(processed));
      HoldWorkerAtNextTick(worker, timers);
    } else {
      timers.Advance(std::chrono::duration_cast<TimerTime>(std::chrono::steady_clock::now() - wallStart));
    }
    if (waveIn.SourceExhausted() && processed == waveIn.BlocksQueued()) return true;
    std::this_thread::sleep_for(clock == TimerClock::kAudio ? kAudioClockPoll : kWallClockPoll);
  }
  return false;
}

}  // namespace talvir
