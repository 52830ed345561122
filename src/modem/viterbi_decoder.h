#pragma once
// Soft-decision Viterbi decoder for the rate-1/2, K = 7 code (polynomials
// 0x5B and 0x79), 64 states. Positive soft values support a 0 bit, metrics
// are maximised and never normalised, state 0 gets a 0.1 head start and the
// traceback always starts from state 0.

#include <array>
#include <cstdint>
#include <span>

#include "modem/hfdl_phy.h"

namespace talvir {

class ViterbiDecoder {
 public:
  static constexpr int kStates = hfdl::kViterbiStates;
  static constexpr int kMaxSteps = hfdl::kMaxViterbiSteps;
  static constexpr float kHeadStart = 0.1f;

  void Reset();
  void Step(float first, float second);
  // One decoded bit (0 or 1) per step into bits[0 .. steps); clears the
  // step count. Returns the number of bits written.
  int Traceback(std::span<uint8_t> bits);

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
  int steps_ = 0;
};

// Packs bits (first bit into bit 0 of the first byte); returns the byte count
// bits.size() / 8, leftover bits dropped.
int PackBitsLsbFirst(std::span<const uint8_t> bits, std::span<uint8_t> bytes);

}  // namespace talvir
