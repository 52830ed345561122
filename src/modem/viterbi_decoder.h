#pragma once
// Soft-decision Viterbi decoder for the rate-1/2, K = 7 code (polynomials
// 0x5B and 0x79), 64 states. Positive soft values support a 0 bit, metrics
// are maximised and never normalised, state 0 gets a 0.1 head start and the
// traceback always starts from state 0.

#include <array>
#include <bit>
#include <cstdint>
#include <span>

#include "modem/hfdl_phy.h"

namespace talvir {

class ViterbiDecoder {
 public:
  static constexpr int kStates = hfdl::kViterbiStates;
  static constexpr int kMaxSteps = hfdl::kMaxViterbiSteps;
  static constexpr float kHeadStart = 0.1f;
  // Input bits a state holds: a detour changes the bit this many steps
  // before it leaves the path.
  static constexpr int kStateBits = std::countr_zero(static_cast<unsigned>(kStates));

  void Reset();
  void Step(float first, float second);
  // One decoded bit (0 or 1) per step into bits[0 .. steps); clears the
  // step count and keeps the path's states. Returns the number of bits
  // written.
  int Traceback(std::span<uint8_t> bits);

  // The next-best paths that leave the kept path at one step. Feed the same
  // soft values again after BeginMarginPass(): each step then also measures
  // by how much the kept path beat the other branch into its state there,
  // which is what leaving the path at that step costs.
  void BeginMarginPass();
  float Margin(int step) const { return margins_[static_cast<std::size_t>(step)]; }
  // The steps whose detours cost least, cheapest first; returns how many
  // were written (fewer on a short path). Detours before kStateBits change
  // only the state the path starts from, no bit, and are not offered.
  int CheapestDetours(std::span<int> steps) const;
  // Rewrites bits before `step` to the best way into the kept path's state
  // at `step` through the branch the path did not take (from step 1 on).
  // Returns the first step rewritten: the detour has merged below it.
  int Detour(int step, std::span<uint8_t> bits) const;

  int steps() const { return steps_; }
  float Metric(int state) const { return metrics_[static_cast<std::size_t>(state)]; }
  int Decision(int state, int step) const {
    return decisions_[static_cast<std::size_t>(step)][static_cast<std::size_t>(state)];
  }

 private:
  std::array<float, kStates> metrics_{};
  // The predecessor chosen for every state at every step; a state number
  // fits in a byte.
  std::array<std::array<uint8_t, kStates>, kMaxSteps> decisions_{};
  std::array<uint8_t, kMaxSteps> path_{};
  std::array<float, kMaxSteps> margins_{};
  bool measuring_ = false;
  int steps_ = 0;
  int pathSteps_ = 0;
};

// Packs bits (first bit into bit 0 of the first byte); returns the byte count
// bits.size() / 8, leftover bits dropped.
int PackBitsLsbFirst(std::span<const uint8_t> bits, std::span<uint8_t> bytes);

}  // namespace talvir
