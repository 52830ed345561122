#include "vhf/vhf_detector_branch.h"

#include <cmath>
#include <numbers>

namespace talvir {

VhfDetectorBranch::VhfDetectorBranch(VhfMessageSink& sink, float tilt) : assembler_(sink) {
  // A real pre-emphasis x[n] - tilt * x[n-1] at 24000 samples/s, seen after
  // the mixer: the delayed sample has turned by one step of the 1800 Hz
  // oscillator.
  constexpr double kMixerStep = 2.0 * std::numbers::pi * kVhfMixerFrequency / kVhfDecimatedRate;
  tiltI_ = static_cast<float>(static_cast<double>(tilt) * std::cos(kMixerStep));
  tiltQ_ = static_cast<float>(-static_cast<double>(tilt) * std::sin(kMixerStep));
}

void VhfDetectorBranch::Step(float i, float q) {
  const float tiltedI = i - (tiltI_ * previousI_ - tiltQ_ * previousQ_);
  const float tiltedQ = q - (tiltI_ * previousQ_ + tiltQ_ * previousI_);
  previousI_ = i;
  previousQ_ = q;

  if (++samplePosition_ == kVhfSamplesPerBit) samplePosition_ = 0;
  // Im(y[n] * conj(y[n-10])): below zero when the phase turned back over the
  // last bit, which after mixing is the 1200 Hz tone. NaN is not below zero.
  const auto p = static_cast<std::size_t>(samplePosition_);
  const float turn = tiltedQ * bitAgoI_[p] - tiltedI * bitAgoQ_[p];
  bitAgoI_[p] = tiltedI;
  bitAgoQ_[p] = tiltedQ;
  BitStep(turn < 0.0f, samplePosition_);
}

void VhfDetectorBranch::BitStep(bool phaseTurnedBack, int position) {
  const auto p = static_cast<std::size_t>(position);
  uint8_t& bitState = bitStates_[p];
  bitState ^= static_cast<uint8_t>(phaseTurnedBack);
  shiftRegisters_[p] = (shiftRegisters_[p] >> 1) | (static_cast<uint32_t>(bitState) << 31);

  if (!locked_) {
    SearchForSync(position);
    return;
  }
  if (position != lockedPosition_) return;
  if (++bitCounter_ < 8) return;
  bitCounter_ = 0;
  // The low byte is the oldest complete one; three newer bytes sit above it.
  HandByteToAssembler(static_cast<uint8_t>(shiftRegisters_[p] & 0xFF));
}

// Adjacent positions that all hold the sync are the open part of the eye;
// the lock waits for its far edge and takes the middle, where the bits are
// surest, instead of the position where the count happened to be reached.
void VhfDetectorBranch::SearchForSync(int position) {
  const auto p = static_cast<std::size_t>(position);
  const uint32_t differing = shiftRegisters_[p] ^ kAcarsSyncSequence;
  if (differing == 0xFFFFFFFFu) {
    // The sync arrived inverted: so did the bit state; take both as sent.
    bitStates_[p] ^= 1;
    shiftRegisters_[p] = ~shiftRegisters_[p];
  } else if (differing != 0) {
    const int run = matchCounter_;
    matchCounter_ = 0;
    // The run ended at the position before this one.
    if (run >= kVhfLockThreshold) LockAt(position - 1 - (run - 1) / 2);
    return;
  }
  if (++matchCounter_ == kVhfSamplesPerBit) LockAt(position - (kVhfSamplesPerBit - 1) / 2);
}

// Every position of the run was updated this bit, the chosen one included,
// so its low byte is the "*" of the sync and the next byte is 8 bits away.
void VhfDetectorBranch::LockAt(int position) {
  const int centre = (position + kVhfSamplesPerBit) % kVhfSamplesPerBit;
  matchCounter_ = 0;
  bitCounter_ = 0;
  lockedPosition_ = centre;
  locked_ = true;
  HandByteToAssembler(static_cast<uint8_t>(shiftRegisters_[static_cast<std::size_t>(centre)] & 0xFF));
  assembler_.StartAfterLock();
}

void VhfDetectorBranch::HandByteToAssembler(uint8_t byte) {
  if (!assembler_.Accept(byte)) ReturnToSearch();
}

// Registers, match counter and the position count run on, so that each
// position keeps comparing against its own sample one bit back.
void VhfDetectorBranch::ReturnToSearch() {
  locked_ = false;
  bitStates_.fill(0);
}

}  // namespace talvir
