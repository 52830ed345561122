#pragma once
// The console's window thread: it runs the window timers while the worker
// decodes, until the input ends or a signal arrives.

#include <atomic>
#include <functional>

#include "app/application.h"
#include "app/window_timers.h"

namespace talvir {

enum class TimerClock {
  kWall,   // live input, or a file paced at real time
  kAudio,  // a file decoded faster than real time: 48000 frames taken = 1 s
};

// Audio time at the end of that many blocks of frames at frameRate.
TimerTime AudioClock(uint64_t blocks, double frameRate = kSampleRate);

// On the audio clock the worker itself runs every tick due after each block,
// before it takes the next, so every tick sees the same decoded audio however
// fast the machine is and whatever else runs. frameRate: the capture blocks'
// frames per second. decodeFirst, when set, runs before the ticks: decoders
// fed beside the capture block. Call once before start-up.
void RunTimersOnAudioClock(AudioWorker& worker, WindowTimers& timers, double frameRate = kSampleRate,
                           std::function<void()> decodeFirst = {});

// Returns true when the input ended, false when stopSignal was set. On the
// wall clock it advances the timers itself.
bool RunDecodeLoop(Application& app, WindowTimers& timers, TimerClock clock, const std::atomic<int>& stopSignal);

}  // namespace talvir
