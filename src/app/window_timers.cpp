#include "app/window_timers.h"

#include <stdexcept>

namespace talvir {

void WindowTimers::Register(int timerId, TimerTime period, std::function<void()> onTick) {
  if (period <= TimerTime::zero()) throw std::invalid_argument("a timer period must be positive");
  std::lock_guard lock(lock_);
  timers_.push_back({timerId, period, period, false, std::move(onTick)});
}

void WindowTimers::Restart(int timerId) {
  std::lock_guard lock(lock_);
  for (Timer& timer : timers_) {
    if (timer.id == timerId) timer.restart = true;
  }
}

void WindowTimers::Advance(TimerTime now) {
  for (;;) {
    const std::function<void()>* due = nullptr;
    {
      std::lock_guard lock(lock_);
      Timer* first = nullptr;
      for (Timer& timer : timers_) {
        if (timer.restart) {
          timer.restart = false;
          timer.next = now + timer.period;
        }
        if (timer.next <= now && (first == nullptr || timer.next < first->next)) first = &timer;
      }
      if (first == nullptr) return;
      first->next += first->period;
      due = &first->onTick;
    }
    // The list does not change after registration, so the callback stays put.
    (*due)();
  }
}

std::optional<TimerTime> WindowTimers::NextDue() const {
  std::lock_guard lock(lock_);
  std::optional<TimerTime> next;
  for (const Timer& timer : timers_) {
    if (!next || timer.next < *next) next = timer.next;
  }
  return next;
}

}  // namespace talvir
