#include "app/window_timers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talvir {
namespace {

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
    return static_cast<int>(std::count_if(fired.begin(), fired.end(),
                                          [&](const std::string& f) { return f.starts_with(prefix); }));
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
}

TEST(WindowTimers, WithoutTimersNothingIsDue) {
  WindowTimers timers;
  EXPECT_FALSE(timers.NextDue().has_value());
  timers.Advance(std::chrono::hours(1));
  EXPECT_THROW(timers.Register(9, TimerTime(0), [] {}), std::invalid_argument);
}

}  // namespace
}  // namespace talvir
