#include "protocol/utc_clock.h"

#include <cstdio>

namespace talvir {

void HfdlUtcClock::Set(int secondsOfDay) {
  if (restart_) restart_();
  seconds_.store(secondsOfDay);
}

std::string HfdlUtcClock::FormatUtcClock() const {
  const int s = Seconds();
  char text[40];
  std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", s / 3600, (s % 3600) / 60, s % 60);
  return text;
}

}  // namespace talvir
