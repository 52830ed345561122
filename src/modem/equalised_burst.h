#pragma once
// What one equaliser made of a burst's data blocks, kept until the burst is
// decoded: each data block's descrambled outputs and their scale, and each
// probe group's outputs before adaptation.

#include <array>
#include <span>

#include "modem/hfdl_phy.h"
#include "modem/rls_equaliser.h"
#include "modem/symbol_scale.h"

namespace talvir {

class EqualisedBurst {
 public:
  static constexpr int kMaxDataBlocks = hfdl::kMaxDataBlocks;

  // Data block k (1 .. kMaxDataBlocks): its outputs in time order, and
  // their scale.
  const RlsEqualiser::Outputs& Data(int k) const { return data_[At(k)]; }
  RlsEqualiser::Outputs& Data(int k) { return data_[At(k)]; }
  SymbolScale Scale(int k) const { return scales_[At(k)]; }
  void SetScale(int k, SymbolScale scale) { scales_[At(k)] = scale; }
  // Probe group g (0 .. kMaxDataBlocks; group k follows data block k): the
  // outputs before adaptation, as y * target, in time order.
  const RlsEqualiser::ProbeFits& Fits(int g) const { return fits_[At(g)]; }
  RlsEqualiser::ProbeFits& Fits(int g) { return fits_[At(g)]; }
  // The groups before and after data block k.
  std::span<const RlsEqualiser::ProbeFits, 2> FitsAround(int k) const {
    return std::span<const RlsEqualiser::ProbeFits, 2>(fits_.data() + k - 1, 2);
  }

 private:
  static constexpr std::size_t At(int k) { return static_cast<std::size_t>(k); }

  std::array<RlsEqualiser::Outputs, kMaxDataBlocks + 1> data_{};
  std::array<SymbolScale, kMaxDataBlocks + 1> scales_{};
  std::array<RlsEqualiser::ProbeFits, kMaxDataBlocks + 1> fits_{};
};

}  // namespace talvir
