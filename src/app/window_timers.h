#pragma once
// The window thread's periodic timers, for a front end without a window
// system: callbacks registered with a period run on the thread that calls
// Advance, never on the worker. The clock is whatever the front end passes:
// the wall clock for live input, or the audio clock (frames the worker has
// taken) when a file is decoded faster than real time, so that a file
// decodes the same however fast the machine is.

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include "common/decoder_links.h"

namespace talvir {

// Time on the timers' clock, in audio frames.
using TimerTime = std::chrono::duration<int64_t, std::ratio<1, kSampleRate>>;

// The window timers: id and period.
inline constexpr int kAgeingTimerId = 1;  // ages the aircraft database
inline constexpr std::chrono::seconds kAgeingPeriod{60};
inline constexpr int kPublishTimerId = 4;  // DDE advises, map and aircraft KML
inline constexpr std::chrono::seconds kPublishPeriod{3};
inline constexpr int kClockTimerId = 5;  // UTC clock, ground-station KML
inline constexpr std::chrono::seconds kClockPeriod{1};

class WindowTimers {
 public:
  // First tick one period after time 0. Register everything before the
  // first Advance.
  void Register(int timerId, TimerTime period, std::function<void()> onTick);
  // Restarts a timer: its next tick comes one period after the next Advance.
  // Safe from any thread.
  void Restart(int timerId);
  // Runs every tick due up to now, in time order (ties in registration
  // order), one per elapsed period.
  void Advance(TimerTime now);
  // When the next tick is due; nothing when no timer is registered.
  std::optional<TimerTime> NextDue() const;

 private:
  struct Timer {
    int id;
    TimerTime period;
    TimerTime next;
    bool restart = false;
    std::function<void()> onTick;
  };

  mutable std::mutex lock_;  // never held while a callback runs
  std::vector<Timer> timers_;
};

}  // namespace talvir
