#pragma once
// The HFDL slot clock: 13 slots of 2.461538 s in a 32 s frame, advanced once
// per 25 ms modem block and restarted by every good squitter. Until a
// squitter has set it, its slots are an arbitrary cut of the 32 s cycle.

#include <atomic>

namespace talvir {

class SlotClock {
 public:
  static constexpr int kRawSlotZero = 13;  // RawSlotIndex during slot 0
  // How long a squitter's time holds: 8 frames (256 s). The clock counts
  // blocks of the sound card's samples, so it drifts with the card's rate
  // error; even at 500 ppm that is 0.13 s after 256 s, well inside the
  // 0.3 s between a squitter's start and its detection.
  static constexpr int kTicksPerFrame = 1280;  // 32 s of 25 ms
  static constexpr int kSynchronisedTicks = 8 * kTicksPerFrame;

  void Tick();
  // t = -0.05 s, slot 0: the next tick gives slot 1.
  void Reset();

  // 0..12; read by the window thread without locking.
  int CurrentSlot() const { return slot_.load(std::memory_order_relaxed); }
  // 1..13 from the current time, where 13 stands for slot 0.
  int RawSlotIndex() const;
  float Time() const { return t_; }
  // A good squitter reset the clock within kSynchronisedTicks.
  bool Synchronised() const { return ticksSinceReset_ < kSynchronisedTicks; }

 private:
  float t_ = 0.0f;  // seconds within the frame
  std::atomic<int> slot_{0};
  int ticksSinceReset_ = kSynchronisedTicks;  // never reset yet
};

}  // namespace talvir
