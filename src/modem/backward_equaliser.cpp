#include "modem/backward_equaliser.h"

#include <algorithm>

#include "modem/known_symbols.h"

namespace talvir {

namespace {

constexpr int kProbes = hfdl::kProbeSymbols;
constexpr int kData = hfdl::kDataSymbols;
constexpr int kSymbols = hfdl::kBlockSymbols;
constexpr int kSps = hfdl::kSamplesPerSymbol;

}  // namespace

void BackwardEqualiser::Begin(Block before) {
  std::copy(before.begin(), before.end(), samples_.begin());
  stored_ = 1;
}

void BackwardEqualiser::Store(Block block) {
  if (stored_ >= kMaxBlocks) return;
  std::copy(block.begin(), block.end(), samples_.begin() + stored_ * kBlockSamples);
  ++stored_;
}

// The stored blocks hold symbol q's own sample at 2q. Read backwards from
// `turn`, reversed block i (from 1) starts with the last probe of group
// dataBlocks + 1 - i, and every symbol's own sample stays on an even index.
Complex BackwardEqualiser::Reversed(int m, int turn) const {
  const int at = turn - m;
  return at >= 0 && at < stored_ * kBlockSamples ? samples_[static_cast<std::size_t>(at)] : Complex{};
}

void BackwardEqualiser::Run(int dataBlocks, std::span<const Complex, RlsEqualiser::kTaps> forwardWeights) {
  const int n = std::clamp(dataBlocks, 0, kMaxDataBlocks);
  const int lastProbe = kSymbols * (n + 1) + kProbes - 1;
  const int turn = kSps * (lastProbe + kSymbols);

  equaliser_.Configure();
  equaliser_.Reset();
  // Tap k looks at offset k - centre; backwards that offset changes sign.
  auto weights = equaliser_.weights();
  for (int k = 1; k < RlsEqualiser::kTaps; ++k)
    weights[static_cast<std::size_t>(k)] = forwardWeights[static_cast<std::size_t>(2 * RlsEqualiser::kCentreTap - k)];

  const auto fillBlock = [&](int i) {
    for (int m = 0; m < kBlockSamples; ++m) block_[static_cast<std::size_t>(m)] = Reversed(kBlockSamples * i + m, turn);
  };
  fillBlock(0);
  equaliser_.Preload(block_);

  std::array<float, kSymbols> record{};
  for (int p = 0; p < kProbes; ++p)
    record[static_cast<std::size_t>(p)] = known::kProbeRepetition[static_cast<std::size_t>(kProbes - 1 - p)];
  for (int i = 1; i <= n + 1; ++i) {
    // Reversed block i: probe group g, then data block g backwards.
    const int g = n + 1 - i;
    for (int j = 0; j < kData; ++j)
      record[static_cast<std::size_t>(kProbes + j)] =
          g > 0 ? known::kScrambler[static_cast<std::size_t>((kData * (g - 1) + kData - 1 - j) % hfdl::kScramblerLength)]
                : 0.0f;
    fillBlock(i);
    const auto& out = equaliser_.ProcessBlock(block_, record);
    const auto& fit = equaliser_.LastProbeFits();
    auto& fits = result_.Fits(g);
    std::reverse_copy(fit.begin(), fit.end(), fits.begin());
    if (i == 1) continue;
    // The outputs belong to the data block after group g.
    std::reverse_copy(out.begin(), out.end(), result_.Data(g + 1).begin());
    result_.SetScale(g + 1, equaliser_.DataScale());
  }
}

}  // namespace talvir
