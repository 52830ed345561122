#pragma once
// The program's UTC time of day, set from each good squitter and advanced by
// the front end's one-second timer. Written from both threads: each write is
// one atomic store; a tick lost to a concurrent set is harmless.

#include <atomic>
#include <functional>
#include <string>

namespace talvir {

class HfdlUtcClock {
 public:
  // Called at each set, so the front end restarts its one-second timer and
  // the next tick comes a second after the squitter. Set before decoding starts.
  void SetRestartHandler(std::function<void()> handler) { restart_ = std::move(handler); }

  void Set(int secondsOfDay);
  void UtcClockTick() { seconds_.fetch_add(1); }
  int Seconds() const { return seconds_.load(); }
  // "hh:mm:ss"; the hours do not wrap at 24.
  std::string FormatUtcClock() const;

 private:
  std::atomic<int> seconds_{0};
  std::function<void()> restart_;
};

}  // namespace talvir
