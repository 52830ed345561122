#pragma once
// Passes each block on once when several detector branches decode the same
// transmission: a block equal to the one passed on last, finished within a
// byte's time of it, is the same transmission seen again. A repeat sent later
// (a retransmission) is a block of its own and passes.

#include <array>
#include <cstdint>
#include <span>

#include "common/decoder_links.h"
#include "vhf/acars_msk.h"

namespace talvir {

class VhfDuplicateFilter : public VhfMessageSink {
 public:
  explicit VhfDuplicateFilter(VhfMessageSink& sink) : sink_(sink) {}

  // The demodulator's clock: one tick per sample at 24000 samples/s.
  void Tick() { ++now_; }

  void PrintVhfAcars(std::span<const uint8_t> block, const VhfBlockQuality& quality) override;

 private:
  VhfMessageSink& sink_;
  int64_t now_ = 0;
  int64_t lastPassedAt_ = 0;
  int lastLength_ = 0;  // 0: nothing passed on yet
  std::array<uint8_t, kAcarsMessageLimit> last_{};
};

}  // namespace talvir
