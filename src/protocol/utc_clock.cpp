#include "protocol/utc_clock.h"

#include <cstdio>

namespace talvir {

void HfdlUtcClock::Set(int seconds) {
  seconds_.store(TimeOfDay(seconds));
  if (restart_) restart_();
}

void HfdlUtcClock::UtcClockTick() {
  int now = seconds_.load();
  while (!seconds_.compare_exchange_weak(now, TimeOfDay(now + 1))) {
  }
}

std::string HfdlUtcClock::FormatUtcClock() const {
  const int s = Seconds();
  char text[40];
  std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", s / 3600, (s % 3600) / 60, s % 60);
  return text;
}

}  // namespace talvir
