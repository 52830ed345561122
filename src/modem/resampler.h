#pragma once
// 48000/s audio to 7200/s in 180-sample blocks (25 ms): a low-pass against
// aliasing, every fifth sample of it, each followed by two zeros (28800/s),
// through a 32-tap low-pass of which every fourth output is kept.

#include <array>
#include <cmath>
#include <cstddef>
#include <span>

#include "modem/anti_alias_filter.h"
#include "modem/hfdl_phy.h"

namespace talvir {

class Resampler {
 public:
  static constexpr int kBlockSize = hfdl::kBlockMixSamples;  // 180 at 7200/s
  using Block = std::span<const float, kBlockSize>;

  Resampler() { Reset(); }
  // Clears the push counter and the block fill; the delay line keeps its
  // contents, as after a modem reset.
  void Reset() {
    pushes_ = 0;
    fill_ = 0;
  }

  // Calls onBlock(Block) for every completed block.
  template <class OnBlock>
  void Feed(std::span<const float> samples, OnBlock&& onBlock) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
      // A non-finite sample would poison the AGC and every window for good.
      const float x = samples[i];
      antiAlias_.Push(std::isfinite(x) ? x : 0.0f);
      // Samples 0, 5, 10, ... of every call.
      if (i % hfdl::kInputPick != 0) continue;
      Push(antiAlias_.Output(), onBlock);
      for (int z = 1; z < hfdl::kZeroStuffFactor; ++z) Push(0.0f, onBlock);
    }
  }

  int BlockFill() const { return fill_; }

 private:
  static constexpr int kTaps = hfdl::kResamplerTaps;
  static constexpr std::array<float, kTaps> kCoefficients = [] {
    std::array<float, kTaps> c{};
    for (int k = 0; k < kTaps / 2; ++k) {
      c[static_cast<std::size_t>(k)] = hfdl::kResamplerHalf[static_cast<std::size_t>(k)];
      c[static_cast<std::size_t>(kTaps - 1 - k)] = hfdl::kResamplerHalf[static_cast<std::size_t>(k)];
    }
    return c;
  }();

  template <class OnBlock>
  void Push(float x, OnBlock& onBlock) {
    // The delay line is stored twice so the newest 32 values are always one
    // contiguous run: d[k] = line_[newest_ + 1 + k], d[31] the newest.
    newest_ = (newest_ + 1) % kTaps;
    line_[static_cast<std::size_t>(newest_)] = x;
    line_[static_cast<std::size_t>(newest_ + kTaps)] = x;
    if (++pushes_ % hfdl::kResamplerDecimation != 0) return;
    const float* d = &line_[static_cast<std::size_t>(newest_ + 1)];
    float y = 0.0f;
    for (int k = 0; k < kTaps; ++k) y += kCoefficients[static_cast<std::size_t>(k)] * d[k];
    block_[static_cast<std::size_t>(fill_++)] = y;
    if (fill_ == kBlockSize) {
      fill_ = 0;
      onBlock(Block(block_));
    }
  }

  AntiAliasFilter antiAlias_;
  std::array<float, 2 * kTaps> line_{};
  int newest_ = 0;
  unsigned pushes_ = 0;  // only its value modulo 4 matters
  std::array<float, kBlockSize> block_{};
  int fill_ = 0;
};

}  // namespace talvir
