#pragma once
// The time that stamps what is decoded: the ACARS footers, the time of day
// handed to the aircraft database and the day of the log files. Live input is
// stamped with the wall clock. A file is stamped with the time on the air of
// the audio being decoded: a start time plus the audio taken so far, so its
// messages carry the minutes they were sent in and a decode is the same on
// every run.

#include <atomic>
#include <cstdint>
#include <ctime>

namespace talvir {

class StampClock {
 public:
  enum class Source {
    kWallClock,       // live input
    kGivenStart,      // a file whose start the user gave
    kEstimatedStart,  // a file whose start was guessed: the first squitter sets the time of day
  };

  // Live input until StartOnAudio.
  StampClock() = default;

  // Before decoding: the UTC time of the input's first frame.
  void StartOnAudio(std::time_t start, Source source);
  Source source() const { return source_; }

  // framesTaken: audio frames decoded before the one being decoded now.
  std::time_t Now(uint64_t framesTaken) const;

  // With an estimated start, the first squitter's time of day (0 .. 86399)
  // moves the start by less than half a day so that now reads it; the date
  // stays the estimate's nearest. Later squitters change nothing, so the
  // stamps never jump back.
  void AlignToTimeOfDay(int secondsOfDay, uint64_t framesTaken);

 private:
  Source source_ = Source::kWallClock;
  std::atomic<int64_t> start_{0};
  std::atomic<bool> aligned_{false};
};

}  // namespace talvir
