#pragma once
// UTC time of day in seconds, as squitters, the UTC clock and the ACARS
// printers keep it.

#include <cstdint>

namespace talvir {

inline constexpr int kSecondsPerDay = 24 * 3600;

// Any count of seconds (negative too) as 0 .. 86399.
constexpr int TimeOfDay(int64_t seconds) {
  return static_cast<int>(((seconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay);
}

}  // namespace talvir
