#include "vhf/vhf_demodulator.h"

#include <algorithm>
#include <cstring>

#include "vhf/fast_trig.h"
#include "vhf/low_pass_decimator.h"

namespace talvir {

namespace {

constexpr int kHalfPlane = kVhfDecimatedPerBlock;  // 1250: one block in a plane

void MoveSecondHalfToFirst(float* plane, int half) {
  std::memcpy(plane, plane + half, sizeof(float) * static_cast<std::size_t>(half));
}

}  // namespace

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
  DemodulatePreviousOutputs();
}

void VhfDemodulator::MixIntoHistory(const float* samples) {
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
  MoveSecondHalfToFirst(filteredI_.data(), kVhfDecimatedPerBlock);
  MoveSecondHalfToFirst(filteredQ_.data(), kVhfDecimatedPerBlock);
  const auto newOutputs = [](std::array<float, kFilteredLength>& filtered) {
    return std::span<float>(filtered).subspan(kVhfDecimatedPerBlock);
  };
  LowPassDecimate(mixed_.evenI, mixed_.oddI, newOutputs(filteredI_));
  LowPassDecimate(mixed_.evenQ, mixed_.oddQ, newOutputs(filteredQ_));
}

void VhfDemodulator::DemodulatePreviousOutputs() {
  for (int i = 0; i < kVhfDecimatedPerBlock; ++i) {
    const auto k = static_cast<std::size_t>(i);
    angles_[k] = FastAtan2(filteredQ_[k], filteredI_[k]);
  }
  // After mixing, the 2400 Hz tone turns the phase forwards and the 1200 Hz
  // tone backwards.
  float previousAngle = previousAngle_;
  for (const float angle : angles_) {
    const float difference = angle - previousAngle;
    previousAngle = angle;
    const float wrapped = difference >= kPiFloat    ? difference - kTwoPiFloat
                          : difference <= -kPiFloat ? difference + kTwoPiFloat
                                                    : difference;
    if (++samplePosition_ == kVhfSamplesPerBit) samplePosition_ = 0;
    BitStep(wrapped, samplePosition_);
  }
  previousAngle_ = previousAngle;
}

void VhfDemodulator::BitStep(float difference, int position) {
  const auto p = static_cast<std::size_t>(position);
  uint32_t& shiftRegister = shiftRegisters_[p];
  uint8_t& bitState = bitStates_[p];
  // A step back (the 1200 Hz tone) flips the data bit; zero and NaN do not.
  // Noise makes the sign random: no branches on it.
  bitState ^= static_cast<uint8_t>(difference < 0.0f);
  shiftRegister = (shiftRegister >> 1) | (static_cast<uint32_t>(bitState) << 31);

  if (!locked_) {
    const uint32_t differing = shiftRegister ^ kAcarsSyncSequence;
    if (differing == 0xFFFFFFFFu) {
      // The sync arrived inverted: so did the bit state; take both as sent.
      bitState ^= 1;
      shiftRegister = ~shiftRegister;
    } else if (differing != 0) {
      matchCounter_ = 0;
      return;
    }
    if (++matchCounter_ < kVhfLockThreshold) return;
    HandByteToAssembler(static_cast<uint8_t>(shiftRegister & 0xFF));  // the "*"
    bitCounter_ = 0;
    assembler_.StartAfterLock();
    lockedPosition_ = position;
    locked_ = true;
    // The register's low byte was just read: the next byte is 8 bits away.
    return;
  }

  if (position != lockedPosition_) return;
  if (++bitCounter_ < 8) return;
  bitCounter_ = 0;
  // The low byte is the oldest complete one; three newer bytes sit above it.
  HandByteToAssembler(static_cast<uint8_t>(shiftRegister & 0xFF));
}

void VhfDemodulator::HandByteToAssembler(uint8_t byte) {
  if (!assembler_.Accept(byte)) ReturnToSearch();
}

// Registers, match counter, angles and mixer phase run on; the sample
// positions are counted afresh.
void VhfDemodulator::ReturnToSearch() {
  locked_ = false;
  samplePosition_ = 0;
  bitStates_.fill(0);
}

}  // namespace talvir
