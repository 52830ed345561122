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

  // Data block k (1 .. dataBlocks): its descrambled outputs in time order,
  // and their scale.
  const RlsEqualiser::Outputs& Data(int k) const { return data_[static_cast<std::size_t>(k)]; }
  SymbolScale Scale(int k) const { return scales_[static_cast<std::size_t>(k)]; }
  // Probe group g (0 .. dataBlocks; group k follows data block k): the
  // outputs before adaptation, in time order.
  const RlsEqualiser::ProbeFits& Fits(int g) const { return fits_[static_cast<std::size_t>(g)]; }
  // The groups before and after data block k.
  std::span<const RlsEqualiser::ProbeFits, 2> FitsAround(int k) const {
    return std::span<const RlsEqualiser::ProbeFits, 2>(fits_.data() + k - 1, 2);
  }

 private:
  // The history block, then one per reception block.
  static constexpr int kMaxBlocks = kMaxDataBlocks + 2;

  Complex Reversed(int m, int turn) const;

  RlsEqualiser equaliser_{RlsEqualiser::kFollowing};
  std::array<Complex, kMaxBlocks * kBlockSamples> samples_{};
  int stored_ = 0;  // blocks
  std::array<Complex, kBlockSamples> block_{};
  std::array<RlsEqualiser::Outputs, kMaxDataBlocks + 1> data_{};
  std::array<SymbolScale, kMaxDataBlocks + 1> scales_{};
  std::array<RlsEqualiser::ProbeFits, kMaxDataBlocks + 1> fits_{};
};

}  // namespace talvir
