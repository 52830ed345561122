#pragma once
// A second look at a burst from its end. The burst's path samples are kept
// while it arrives; once it is complete, an equaliser runs over them
// backwards in time, probe group by probe group. The weights of an RLS
// equaliser lag a fading channel by its memory; run backwards they lag the
// other way, so the two directions together see each data block from both
// sides.

#include <array>
#include <span>

#include "modem/complex_math.h"
#include "modem/equalised_burst.h"
#include "modem/hfdl_phy.h"
#include "modem/rls_equaliser.h"
#include "modem/symbol_scale.h"

namespace talvir {

class BackwardEqualiser {
 public:
  static constexpr int kBlockSamples = hfdl::kBlockPathSamples;
  static constexpr int kMaxDataBlocks = hfdl::kMaxDataBlocks;
  using Block = std::span<const Complex, kBlockSamples>;

  // A new burst: the samples just before its first reception block.
  void Begin(Block before);
  // Each reception block as it arrives (probes, then the next data block).
  void Store(Block block);
  // Equalises data blocks dataBlocks .. 1, starting from the weights the
  // forward equaliser ended with.
  void Run(int dataBlocks, std::span<const Complex, RlsEqualiser::kTaps> forwardWeights);

  // Data blocks 1 .. dataBlocks and probe groups 0 .. dataBlocks as the
  // backward run saw them, in time order.
  const EqualisedBurst& Result() const { return result_; }
  // The stored samples from the history block on: symbol q's own sample at
  // 2q, probe group g at symbols 45 (g + 1) .. 45 (g + 1) + 14.
  std::span<const Complex> Samples() const {
    return std::span<const Complex>(samples_.data(), static_cast<std::size_t>(stored_ * kBlockSamples));
  }

 private:
  // The history block, then one per reception block.
  static constexpr int kMaxBlocks = kMaxDataBlocks + 2;

  Complex Reversed(int m, int turn) const;

  RlsEqualiser equaliser_{RlsEqualiser::kFollowing};
  std::array<Complex, kMaxBlocks * kBlockSamples> samples_{};
  int stored_ = 0;  // blocks
  std::array<Complex, kBlockSamples> block_{};
  EqualisedBurst result_;
};

}  // namespace talvir
