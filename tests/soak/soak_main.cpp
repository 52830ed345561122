// talvir-soak: the console's pipeline (the application, its window timers on
// the audio clock, the decode loop) fed a day of generated audio.

#include <atomic>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/decode_loop.h"
#include "soak_session.h"

int main(int argc, char** argv) {
  using namespace talvir;
  soak::SoakOptions options;
  if (const auto status = soak::ReadSoakCommandLine(argc, argv, options)) return *status;
  soak::SoakSession session(options);
  const auto app = std::make_unique<Application>(session.paths(), session.TakeDriver(), session.AppOptions());
  app->LoadSettings();
  session.Prepare(*app);
  WindowTimers timers;
  FlightDb& flights = app->shared().flights;
  timers.Register(kAgeingTimerId, kAgeingPeriod, [&flights] { flights.FlightDbAgeTick(); });
  timers.Register(kPublishTimerId, kPublishPeriod, [&flights] { flights.FlightDbPublish(0); });
  timers.Register(kClockTimerId, kClockPeriod, [&app] { app->TickUtcClocks(); });
  RunTimersOnAudioClock(app->worker(), timers);
  if (!app->StartupSequence().Ok()) {
    std::fprintf(stderr, "talvir-soak: the generated input did not open\n");
    return 2;
  }
  const std::atomic<int> never{0};
  RunDecodeLoop(*app, timers, TimerClock::kAudio, never);
  app->ShutdownSequence();
  return session.Finish(*app, "console");
}
