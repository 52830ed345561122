#pragma once
// The program's UTC time of day, set from each good squitter and advanced by
// the front end's one-second timer. Written from both threads: each write is
// one atomic store; a tick lost to a concurrent set is harmless.

#include <atomic>
#include <functional>
#include <string>

#include "common/time_of_day.h"

namespace talvir {

class HfdlUtcClock {
 public:
  // Called after each set, so the front end restarts its one-second timer
  // (the next tick comes a second after the squitter) and may read the new
  // time. Set before decoding starts.
  void SetRestartHandler(std::function<void()> handler) { restart_ = std::move(handler); }

  // A squitter's frame index runs past the end of the day (2700 frames of
  // 32 s are 86400 s): the clock keeps the time of day.
  void Set(int seconds);
  void UtcClockTick();
  // 0 .. 86399.
  int Seconds() const { return seconds_.load(); }
  // "hh:mm:ss", 00:00:00 .. 23:59:59.
  std::string FormatUtcClock() const;

 private:
  std::atomic<int> seconds_{0};
  std::function<void()> restart_;
};

}  // namespace talvir
