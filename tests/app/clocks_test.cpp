// The clocks of a decode: the stamp clock that dates what is heard, and the
// window's timers as the audio clock drives them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/stamp_clock.h"
#include "app/window_timers.h"
#include "common/decoder_links.h"

namespace talvir {
namespace {

constexpr std::time_t kStart = 1748779200;  // 2025-06-01 12:00:00 UTC
constexpr uint64_t kMinute = 60ULL * kSampleRate;

TEST(StampClock, AFileIsStampedWithItsStartPlusTheAudioTakenLiveInputWithTheWallClock) {
  StampClock clock;
  clock.StartOnAudio(kStart, StampClock::Source::kGivenStart);
  EXPECT_EQ(clock.Now(0), kStart);
  EXPECT_EQ(clock.Now(kSampleRate - 1), kStart) << "whole seconds";
  EXPECT_EQ(clock.Now(kMinute), kStart + 60);
  clock.AlignToTimeOfDay(0, kMinute);
  EXPECT_EQ(clock.Now(kMinute), kStart + 60) << "a given start is kept";

  // Live input uses the wall clock.
  const std::time_t before = std::time(nullptr);
  const std::time_t now = StampClock().Now(kMinute);
  EXPECT_GE(now, before);
  EXPECT_LE(now, std::time(nullptr));
}

TEST(StampClock, TheFirstSquitterGivesAnEstimatedStartItsTimeOfDayOnTheNearestDate) {
  struct Case {
    int squitterSecondsOfDay;
    std::time_t expected;  // the stamp at the squitter, one minute into the file
  };
  // The estimate reads 12:01:00 when the squitter comes.
  for (const Case& c : {Case{12 * 3600 + 61, kStart + 61},              // a second later
                        Case{10 * 3600 + 59 * 60 + 48, kStart - 3612},  // an hour earlier
                        Case{23 * 3600 + 59 * 60, kStart + 43140},      // the same date
                        Case{30, kStart + 12 * 3600 + 30}}) {           // the next date is nearer
    SCOPED_TRACE(c.squitterSecondsOfDay);
    StampClock clock;
    clock.StartOnAudio(kStart, StampClock::Source::kEstimatedStart);
    clock.AlignToTimeOfDay(c.squitterSecondsOfDay, kMinute);
    EXPECT_EQ(clock.Now(kMinute), c.expected);
    clock.AlignToTimeOfDay(0, 2 * kMinute);
    EXPECT_EQ(clock.Now(2 * kMinute), c.expected + 60) << "later squitters move nothing";
  }
}

class WindowTimersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    timers.Register(kAgeingTimerId, kAgeingPeriod, [this] { fired.push_back("age@" + Now()); });
    timers.Register(kPublishTimerId, kPublishPeriod, [this] { fired.push_back("publish@" + Now()); });
    timers.Register(kClockTimerId, kClockPeriod, [this] { fired.push_back("clock@" + Now()); });
  }
  void AdvanceTo(TimerTime t) {
    now = t;
    timers.Advance(t);
  }
  std::string Now() const { return std::to_string(now.count() / kSampleRate); }
  int Count(const std::string& prefix) const {
    return static_cast<int>(
        std::count_if(fired.begin(), fired.end(), [&](const std::string& f) { return f.starts_with(prefix); }));
  }

  WindowTimers timers;
  TimerTime now{0};
  std::vector<std::string> fired;
};

TEST_F(WindowTimersTest, AJumpOfTheAudioClockFiresEveryElapsedTickInTimeOrder) {
  // Two minutes of audio decoded in one step still age twice, publish 40
  // times and tick the clock 120 times, as in real time.
  AdvanceTo(std::chrono::minutes(2));
  EXPECT_EQ(Count("age"), 2);
  EXPECT_EQ(Count("publish"), 40);
  EXPECT_EQ(Count("clock"), 120);
  // Clock at 1 s and 2 s; at 3 s publish before clock (registration order).
  EXPECT_EQ(std::vector<std::string>(fired.begin(), fired.begin() + 4),
            (std::vector<std::string>{"clock@120", "clock@120", "publish@120", "clock@120"}));
}

TEST_F(WindowTimersTest, NothingFiresBeforeItsPeriodAndRestartPutsTheNextTickOnePeriodAfterTheNextAdvance) {
  AdvanceTo(TimerTime(kSampleRate / 2));
  EXPECT_TRUE(fired.empty());
  EXPECT_EQ(timers.NextDue(), TimerTime(kSampleRate));
  timers.Restart(kClockTimerId);
  AdvanceTo(TimerTime(kSampleRate));  // restarted here: next clock tick at 2 s
  EXPECT_EQ(Count("clock"), 0);
  AdvanceTo(TimerTime(2 * kSampleRate - 1));
  EXPECT_EQ(Count("clock"), 0);
  AdvanceTo(TimerTime(2 * kSampleRate));
  EXPECT_EQ(Count("clock"), 1);

  WindowTimers none;
  EXPECT_FALSE(none.NextDue().has_value());
  none.Advance(std::chrono::hours(1));
  EXPECT_THROW(none.Register(9, TimerTime(0), [] {}), std::invalid_argument);
}

}  // namespace
}  // namespace talvir
