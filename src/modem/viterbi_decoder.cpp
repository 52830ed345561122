#include "modem/viterbi_decoder.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace talvir {

namespace {

// Expected coded-bit pair (first << 1 | second) on the branch from
// predecessor (2j + odd) mod 64 into state j.
constexpr std::array<std::array<uint8_t, 2>, hfdl::kViterbiStates> kBranchBits = [] {
  std::array<std::array<uint8_t, 2>, hfdl::kViterbiStates> t{};
  for (int j = 0; j < hfdl::kViterbiStates; ++j) {
    const int u = j >> 5;
    for (int odd = 0; odd < 2; ++odd) {
      const int q = (2 * j + odd) % hfdl::kViterbiStates;
      int first = 0;
      int second = 0;
      hfdl::EncoderStep(q, u, first, second);
      t[static_cast<std::size_t>(j)][static_cast<std::size_t>(odd)] = static_cast<uint8_t>(first << 1 | second);
    }
  }
  return t;
}();

}  // namespace

void ViterbiDecoder::Reset() {
  metrics_.fill(0.0f);
  metrics_[0] = kHeadStart;
  steps_ = 0;
  measuring_ = false;
}

void ViterbiDecoder::BeginMarginPass() {
  Reset();
  measuring_ = true;
}

void ViterbiDecoder::Step(float first, float second) {
  if (steps_ >= kMaxSteps) return;
  const float aPlus = std::max(first, 0.0f);
  const float aMinus = std::max(-first, 0.0f);
  const float bPlus = std::max(second, 0.0f);
  const float bMinus = std::max(-second, 0.0f);
  // Branch metric by expected pair 00, 01, 10, 11.
  const std::array<float, 4> branch = {aPlus + bPlus, aPlus + bMinus, aMinus + bPlus, aMinus + bMinus};

  // The two ways into state j: from its even and its odd predecessor.
  const auto ways = [&](int j) {
    const auto sj = static_cast<std::size_t>(j);
    const auto q0 = static_cast<std::size_t>((2 * j) % kStates);
    return std::pair{metrics_[q0] + branch[kBranchBits[sj][0]], metrics_[q0 + 1] + branch[kBranchBits[sj][1]]};
  };
  std::array<float, kStates> next{};
  const auto at = static_cast<std::size_t>(steps_);
  auto& decision = decisions_[at];
  for (int j = 0; j < kStates; ++j) {
    const auto sj = static_cast<std::size_t>(j);
    const int q0 = (2 * j) % kStates;
    const int q1 = q0 + 1;
    const auto [c0, c1] = ways(j);
    // Ties go to the odd predecessor.
    if (c0 > c1) {
      next[sj] = c0;
      decision[sj] = static_cast<uint8_t>(q0);
    } else {
      next[sj] = c1;
      decision[sj] = static_cast<uint8_t>(q1);
    }
  }
  if (measuring_) {
    const auto [c0, c1] = ways(path_[at]);
    margins_[at] = std::abs(c0 - c1);
  }
  metrics_ = next;
  ++steps_;
}

int ViterbiDecoder::Traceback(std::span<uint8_t> bits) {
  const int count = std::min(steps_, static_cast<int>(bits.size()));
  int state = 0;
  for (int i = steps_ - 1; i >= 0; --i) {
    path_[static_cast<std::size_t>(i)] = static_cast<uint8_t>(state);
    if (i < count) bits[static_cast<std::size_t>(i)] = static_cast<uint8_t>((state >> 5) & 1);
    state = decisions_[static_cast<std::size_t>(i)][static_cast<std::size_t>(state)];
  }
  pathSteps_ = steps_;
  steps_ = 0;
  measuring_ = false;
  return count;
}

int ViterbiDecoder::CheapestDetours(std::span<int> steps) const {
  const auto margin = [&](int step) { return margins_[static_cast<std::size_t>(step)]; };
  int found = 0;
  for (int t = kStateBits; t < pathSteps_; ++t) {
    const bool full = found == static_cast<int>(steps.size());
    if (full && (found == 0 || margin(t) >= margin(steps[static_cast<std::size_t>(found - 1)]))) continue;
    int k = full ? found - 1 : found++;
    for (; k > 0 && margin(steps[static_cast<std::size_t>(k - 1)]) > margin(t); --k)
      steps[static_cast<std::size_t>(k)] = steps[static_cast<std::size_t>(k - 1)];
    steps[static_cast<std::size_t>(k)] = t;
  }
  return found;
}

int ViterbiDecoder::Detour(int step, std::span<uint8_t> bits) const {
  const auto at = static_cast<std::size_t>(step);
  // The predecessors of a state differ only in their lowest bit.
  int state = decisions_[at][path_[at]] ^ 1;
  int i = step - 1;
  for (; i >= 0 && state != path_[static_cast<std::size_t>(i)]; --i) {
    if (static_cast<std::size_t>(i) < bits.size())
      bits[static_cast<std::size_t>(i)] = static_cast<uint8_t>((state >> 5) & 1);
    state = decisions_[static_cast<std::size_t>(i)][static_cast<std::size_t>(state)];
  }
  return i + 1;
}

int PackBitsLsbFirst(std::span<const uint8_t> bits, std::span<uint8_t> bytes) {
  const int count = static_cast<int>(std::min(bits.size() / 8, bytes.size()));
  for (int j = 0; j < count; ++j) {
    unsigned byte = 0;
    for (int k = 0; k < 8; ++k) byte |= static_cast<unsigned>(bits[static_cast<std::size_t>(8 * j + k)] & 1) << k;
    bytes[static_cast<std::size_t>(j)] = static_cast<uint8_t>(byte);
  }
  return count;
}

}  // namespace talvir
