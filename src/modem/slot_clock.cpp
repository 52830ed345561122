#include "modem/slot_clock.h"

#include <cmath>

#include "modem/hfdl_phy.h"

namespace talvir {

void SlotClock::Tick() {
  if (ticksSinceReset_ < kSynchronisedTicks) ++ticksSinceReset_;
  t_ += hfdl::kSlotClockTick;
  if (t_ >= hfdl::kFrameSeconds) t_ -= hfdl::kFrameSeconds;
  slot_.store(RawSlotIndex() % hfdl::kSlotsPerFrame, std::memory_order_relaxed);
}

void SlotClock::Reset() {
  t_ = hfdl::kSlotClockResetTime;
  ticksSinceReset_ = 0;
  slot_.store(0, std::memory_order_relaxed);
}

int SlotClock::RawSlotIndex() const {
  return 1 - static_cast<int>(std::trunc(static_cast<double>(t_) * hfdl::kNegativeSlotsPerSecond));
}

}  // namespace talvir
