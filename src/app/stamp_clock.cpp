#include "app/stamp_clock.h"

#include "common/decoder_links.h"
#include "common/time_of_day.h"

namespace talvir {

void StampClock::StartOnAudio(std::time_t start, Source source) {
  start_.store(start);
  source_ = source;
  aligned_.store(source != Source::kEstimatedStart);
}

std::time_t StampClock::Now(uint64_t framesTaken) const {
  if (source_ == Source::kWallClock) return std::time(nullptr);
  return static_cast<std::time_t>(start_.load() + static_cast<int64_t>(framesTaken / kSampleRate));
}

void StampClock::AlignToTimeOfDay(int secondsOfDay, uint64_t framesTaken) {
  if (aligned_.exchange(true)) return;
  int shift = TimeOfDay(secondsOfDay - TimeOfDay(Now(framesTaken)));
  if (shift > kSecondsPerDay / 2) shift -= kSecondsPerDay;
  start_.fetch_add(shift);
}

}  // namespace talvir
