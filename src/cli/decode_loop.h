#pragma once
// The console's window thread: it runs the window timers while the worker
// decodes, until the input ends or a signal arrives.

#include <atomic>

#include "app/application.h"
#include "app/window_timers.h"

namespace talvir {

enum class TimerClock {
  kWall,   // live input, or a file paced at real time
  kAudio,  // a file decoded faster than real time: 48000 frames taken = 1 s
};

// On the audio clock the worker stops at the block where the next tick is
// due until the tick's callbacks have run, so every tick sees the same
// decoded audio however fast the machine is. Call once before start-up, so
// the first tick is held too.
void HoldWorkerAtNextTick(AudioWorker& worker, const WindowTimers& timers);

// Returns true when the input ended, false when stopSignal was set.
bool RunDecodeLoop(Application& app, WindowTimers& timers, TimerClock clock, const std::atomic<int>& stopSignal);

}  // namespace talvir
