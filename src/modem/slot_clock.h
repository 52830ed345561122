#pragma once
// The HFDL slot clock: 13 slots of 2.461538 s in a 32 s frame, advanced once
// per 25 ms modem block and restarted by every good squitter.

#include <atomic>

namespace talvir {

class SlotClock {
 public:
  static constexpr int kRawSlotZero = 13;  // RawSlotIndex during slot 0

  void Tick();
  // t = -0.05 s, slot 0: the next tick gives slot 1.
  void Reset();

  // 0..12; read by the window thread without locking.
  int CurrentSlot() const { return slot_.load(std::memory_order_relaxed); }
  // 1..13 from the current time, where 13 stands for slot 0.
  int RawSlotIndex() const;
  float Time() const { return t_; }

 private:
  float t_ = 0.0f;  // seconds within the frame
  std::atomic<int> slot_{0};
};

}  // namespace talvir
