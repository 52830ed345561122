// The scale the soft bits of a block take: the probes' amplitude and noise
// averaged over the blocks around it, the window cut at the burst's ends.

#include "modem/symbol_scale.h"

#include <gtest/gtest.h>

#include <array>

namespace talvir {
namespace {

TEST(SymbolScale, MeanOverTheBlocksAroundCutAtTheBurstsEnds) {
  // Amplitude k + 1 and noise 10 (k + 1) in block k: amplitude and noise are
  // averaged apart (their SNR would not be).
  std::array<SymbolScale, 10> scales{};
  for (std::size_t k = 0; k < scales.size(); ++k)
    scales[k] = {static_cast<float>(k + 1), 10.0f * static_cast<float>(k + 1)};

  const SymbolScale middle = MeanScale(scales, 5, 2);  // blocks 3 .. 7
  EXPECT_FLOAT_EQ(middle.amplitude, 6.0f);
  EXPECT_FLOAT_EQ(middle.noiseVariance, 60.0f);
  const SymbolScale first = MeanScale(scales, 0, 4);  // blocks 0 .. 4
  EXPECT_FLOAT_EQ(first.amplitude, 3.0f);
  const SymbolScale last = MeanScale(scales, 9, 4);  // blocks 5 .. 9
  EXPECT_FLOAT_EQ(last.amplitude, 8.0f);
  EXPECT_FLOAT_EQ(last.noiseVariance, 80.0f);
  // No span: the block alone.
  EXPECT_FLOAT_EQ(MeanScale(scales, 2, 0).amplitude, 3.0f);
  // A burst of one block, and none: nothing is read outside.
  EXPECT_FLOAT_EQ(MeanScale(std::span<const SymbolScale>(scales.data(), 1), 0, 4).amplitude, 1.0f);
  EXPECT_FLOAT_EQ(MeanScale(std::span<const SymbolScale>(), 0, 4).amplitude, 0.0f);
}

}  // namespace
}  // namespace talvir
