#include "modem/frame_counters.h"

#include "modem/hfdl_phy.h"

namespace talvir {

namespace {
// First entry of the pair by rate code 0..7.
constexpr std::array<int, hfdl::kRateCodes> kPairByCode = {14, 16, 10, 12, 6, 8, 2, 4};
}  // namespace

int FrameCounters::PairFor(int rateCode, int currentSlot) {
  if (rateCode < 0 || rateCode >= hfdl::kRateCodes) return -1;
  if (rateCode == hfdl::kSquitterRateCode && currentSlot == 0) return kSquitterFrames;
  return kPairByCode[static_cast<std::size_t>(rateCode)];
}

void FrameCounters::CountFrame(int rateCode, int currentSlot, bool decodedOk) {
  Increment(kAllFrames);
  if (!decodedOk) Increment(kAllFailed);
  const int pair = PairFor(rateCode, currentSlot);
  if (pair < 0) return;
  Increment(pair);
  if (!decodedOk) Increment(pair + 1);
}

void FrameCounters::Reset() {
  for (auto& v : values_) v.store(0, std::memory_order_relaxed);
}

FrameCounters::Values FrameCounters::Snapshot() const {
  Values out{};
  for (int i = 0; i < kCount; ++i) out[static_cast<std::size_t>(i)] = values_[static_cast<std::size_t>(i)].load(std::memory_order_relaxed);
  return out;
}

}  // namespace talvir
