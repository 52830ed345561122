#pragma once
// The 20 frame counters shown by the Statistics window: all frames and failed
// frames, then (frames, failed) per mode, squitters last. Written by the
// worker, read by the window thread.

#include <array>
#include <atomic>
#include <cstdint>

namespace talvir {

class FrameCounters {
 public:
  static constexpr int kCount = 20;
  static constexpr int kAllFrames = 0;
  static constexpr int kAllFailed = 1;
  static constexpr int kSquitterFrames = 18;  // code 6 received in slot 0
  using Values = std::array<int32_t, kCount>;

  // The (frames, failed) pair of a rate code; -1 for none.
  static int PairFor(int rateCode, int currentSlot);

  void CountFrame(int rateCode, int currentSlot, bool decodedOk);
  void Reset();
  Values Snapshot() const;

 private:
  void Increment(int entry) { values_[static_cast<std::size_t>(entry)].fetch_add(1, std::memory_order_relaxed); }

  std::array<std::atomic<int32_t>, kCount> values_{};
};

}  // namespace talvir
