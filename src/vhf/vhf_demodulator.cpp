#include "vhf/vhf_demodulator.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "vhf/fast_trig.h"
#include "vhf/low_pass_decimator.h"
#include "vhf/matched_filter.h"

namespace talvir {

namespace {

constexpr int kHalfPlane = kVhfDecimatedPerBlock;  // 1250: one block in a plane

void MoveSecondHalfToFirst(float* plane, int half) {
  std::memcpy(plane, plane + half, sizeof(float) * static_cast<std::size_t>(half));
}

template <std::size_t... kIndex>
std::array<VhfDetectorBranch, sizeof...(kIndex)> MakeBranches(VhfMessageSink& sink, bool correcting,
                                                               std::index_sequence<kIndex...>) {
  return {VhfDetectorBranch(sink, kVhfBranchTilts[kIndex], correcting)...};
}

}  // namespace

VhfDemodulator::VhfDemodulator(VhfMessageSink& sink, bool correcting)
    : duplicateFilter_(sink),
      levelMeter_(duplicateFilter_),
      branches_(MakeBranches(levelMeter_, correcting, std::make_index_sequence<kVhfBranchTilts.size()>())) {}

void VhfDemodulator::ProcessBlock(std::span<const float> samples) {
  while (!samples.empty()) {
    if (pendingCount_ == 0 && samples.size() >= static_cast<std::size_t>(kBlockFrames)) {
      ProcessWholeBlock(samples.data());
      samples = samples.subspan(kBlockFrames);
      continue;
    }
    const std::size_t take = std::min(samples.size(), static_cast<std::size_t>(kBlockFrames - pendingCount_));
    std::copy_n(samples.begin(), take, pending_.begin() + pendingCount_);
    pendingCount_ += static_cast<int>(take);
    samples = samples.subspan(take);
    if (pendingCount_ == kBlockFrames) {
      pendingCount_ = 0;
      ProcessWholeBlock(pending_.data());
    }
  }
}

void VhfDemodulator::ProcessWholeBlock(const float* samples) {
  MixIntoHistory(samples);
  FilterAndDecimate();
  MatchPreviousOutputs();
  DemodulatePreviousOutputs();
}

void VhfDemodulator::MixIntoHistory(const float* input) {
  dcBlocker_.Process(std::span<const float>(input, kBlockFrames), withoutDc_);
  const float* samples = withoutDc_.data();
  for (float* plane : {mixed_.evenI.data(), mixed_.evenQ.data(), mixed_.oddI.data(), mixed_.oddQ.data()})
    MoveSecondHalfToFirst(plane, kHalfPlane);

  // The phase recursion is serial; the sines and cosines after it are not.
  float phase = mixerPhase_;
  for (float& p : mixerPhases_) {
    p = phase;
    phase += kVhfMixerPhaseStep;
    if (phase >= kTwoPiFloat) phase -= kTwoPiFloat;
  }
  mixerPhase_ = phase;

  for (int n = 0; n < kHalfPlane; ++n) {
    float c0, s0, c1, s1;
    FastSinCos(mixerPhases_[static_cast<std::size_t>(2 * n)], c0, s0);
    FastSinCos(mixerPhases_[static_cast<std::size_t>(2 * n + 1)], c1, s1);
    const float x0 = samples[2 * n];
    const float x1 = samples[2 * n + 1];
    mixed_.evenI[static_cast<std::size_t>(kHalfPlane + n)] = x0 * c0;
    mixed_.evenQ[static_cast<std::size_t>(kHalfPlane + n)] = -x0 * s0;
    mixed_.oddI[static_cast<std::size_t>(kHalfPlane + n)] = x1 * c1;
    mixed_.oddQ[static_cast<std::size_t>(kHalfPlane + n)] = -x1 * s1;
  }
}

// Each output's 64-sample window starts in the previous block, so the outputs
// of this call describe the previous block.
void VhfDemodulator::FilterAndDecimate() {
  for (float* plane : {filteredI_.data(), filteredQ_.data()}) {
    std::memmove(plane, plane + kVhfDecimatedPerBlock,
                 sizeof(float) * static_cast<std::size_t>(kFilteredLength - kVhfDecimatedPerBlock));
  }
  const auto newOutputs = [](std::array<float, kFilteredLength>& filtered) {
    return std::span<float>(filtered).last(kVhfDecimatedPerBlock);
  };
  LowPassDecimate(mixed_.evenI, mixed_.oddI, newOutputs(filteredI_));
  LowPassDecimate(mixed_.evenQ, mixed_.oddQ, newOutputs(filteredQ_));
}

void VhfDemodulator::MatchPreviousOutputs() {
  MatchedFilter(filteredI_, matchedI_);
  MatchedFilter(filteredQ_, matchedQ_);
}

void VhfDemodulator::DemodulatePreviousOutputs() {
  for (int i = 0; i < kVhfDecimatedPerBlock; ++i) {
    const auto k = static_cast<std::size_t>(i);
    duplicateFilter_.Tick();
    levelMeter_.Push(filteredI_[k + kVhfMatchedFilterDelay], filteredQ_[k + kVhfMatchedFilterDelay]);
    for (VhfDetectorBranch& branch : branches_) branch.Step({matchedI_[k], matchedQ_[k]});
  }
}

}  // namespace talvir
