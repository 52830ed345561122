#include "app/stamp_clock.h"

#include <gtest/gtest.h>

#include "common/decoder_links.h"

namespace talvir {
namespace {

constexpr std::time_t kStart = 1748779200;  // 2025-06-01 12:00:00 UTC
constexpr uint64_t kMinute = 60ULL * kSampleRate;

TEST(StampClock, AFileIsStampedWithItsStartPlusTheAudioTaken) {
  StampClock clock;
  clock.StartOnAudio(kStart, StampClock::Source::kGivenStart);
  EXPECT_EQ(clock.Now(0), kStart);
  EXPECT_EQ(clock.Now(kSampleRate - 1), kStart) << "whole seconds";
  EXPECT_EQ(clock.Now(kMinute), kStart + 60);
  clock.AlignToTimeOfDay(0, kMinute);
  EXPECT_EQ(clock.Now(kMinute), kStart + 60) << "a given start is kept";
}

TEST(StampClock, TheFirstSquitterGivesAnEstimatedStartItsTimeOfDayOnTheNearestDate) {
  struct Case {
    int squitterSecondsOfDay;
    std::time_t expected;  // the stamp at the squitter, one minute into the file
  };
  // The estimate reads 12:01:00 when the squitter comes.
  for (const Case& c : {Case{12 * 3600 + 61, kStart + 61},                // a second later
                        Case{10 * 3600 + 59 * 60 + 48, kStart - 3612},     // an hour earlier
                        Case{23 * 3600 + 59 * 60, kStart + 43140},         // the same date
                        Case{30, kStart + 12 * 3600 + 30}}) {              // the next date is nearer
    SCOPED_TRACE(c.squitterSecondsOfDay);
    StampClock clock;
    clock.StartOnAudio(kStart, StampClock::Source::kEstimatedStart);
    clock.AlignToTimeOfDay(c.squitterSecondsOfDay, kMinute);
    EXPECT_EQ(clock.Now(kMinute), c.expected);
    clock.AlignToTimeOfDay(0, 2 * kMinute);
    EXPECT_EQ(clock.Now(2 * kMinute), c.expected + 60) << "later squitters move nothing";
  }
}

TEST(StampClock, LiveInputUsesTheWallClock) {
  const StampClock clock;
  const std::time_t before = std::time(nullptr);
  const std::time_t now = clock.Now(kMinute);
  EXPECT_GE(now, before);
  EXPECT_LE(now, std::time(nullptr));
}

}  // namespace
}  // namespace talvir
