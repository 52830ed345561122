#include "vhf/vhf_detector_branch.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace talvir {

namespace {

enum class SyncMatch { kNone, kAsSent, kInverted };

// A register holds the sync when at most one of its bits differs, or
// inverted when at most one agrees. Without a popcount instruction in the
// base instruction set, "at most one bit set" is the cheaper test.
bool AtMostOneBitSet(uint32_t bits) { return (bits & (bits - 1)) == 0; }

SyncMatch MatchSync(uint32_t shiftRegister) {
  const uint32_t differing = shiftRegister ^ kAcarsSyncSequence;
  if (AtMostOneBitSet(differing)) return SyncMatch::kAsSent;
  if (AtMostOneBitSet(~differing)) return SyncMatch::kInverted;
  return SyncMatch::kNone;
}

uint32_t ShiftIn(uint32_t shiftRegister, bool bit) {
  return (shiftRegister >> 1) | (static_cast<uint32_t>(bit) << 31);
}

}  // namespace

// The phase turn's errors come as steps that flip every later bit, which
// parity cannot see; only the coherent reading's single errors are mended.
VhfDetectorBranch::VhfDetectorBranch(VhfMessageSink& sink, float tilt, bool correcting)
    : differentialReader_(sink, false), coherentReader_(sink, correcting) {
  // A real pre-emphasis x[n] - tilt * x[n-1] at 24000 samples/s, seen after
  // the mixer: the delayed sample has turned by one step of the 1800 Hz
  // oscillator.
  constexpr double kMixerStep = 2.0 * std::numbers::pi * kVhfMixerFrequency / kVhfDecimatedRate;
  tilt_.i = static_cast<float>(static_cast<double>(tilt) * std::cos(kMixerStep));
  tilt_.q = static_cast<float>(-static_cast<double>(tilt) * std::sin(kMixerStep));
}

BasebandSample VhfDetectorBranch::Tilted(BasebandSample sample) {
  const BasebandSample tilted{sample.i - (tilt_.i * previous_.i - tilt_.q * previous_.q),
                              sample.q - (tilt_.i * previous_.q + tilt_.q * previous_.i)};
  previous_ = sample;
  return tilted;
}

void VhfDetectorBranch::Step(BasebandSample matched) {
  const BasebandSample tilted = Tilted(matched);
  if (++samplePosition_ == kVhfSamplesPerBit) samplePosition_ = 0;
  const int p = samplePosition_;
  const bool differentialBit = DecideDifferentially(p, tilted);
  const Decision coherent = DecideCoherently(p, tilted);

  if (!locked_) {
    SearchForSync(p);
    return;
  }
  if (p != lockedPosition_) return;
  differentialReader_.Push(differentialBit, 0.0f);
  coherentReader_.Push(coherent.bit, coherent.margin);
  ReturnToSearchWhenDone();
}

// Im(y[n] * conj(y[n-10])) of the matched samples is below zero when the
// phase turned back over the last bit: after mixing, the 1200 Hz tone, which
// is sent for a changed data bit. NaN is not below zero.
bool VhfDetectorBranch::DecideDifferentially(int position, BasebandSample matched) {
  const auto p = static_cast<std::size_t>(position);
  const float turn = matched.q * bitAgo_[p].i - matched.i * bitAgo_[p].q;
  bitAgo_[p] = matched;
  bitStates_[p] ^= static_cast<uint8_t>(turn < 0.0f);
  differentialRegisters_[p] = ShiftIn(differentialRegisters_[p], bitStates_[p] != 0);
  return bitStates_[p] != 0;
}

// The reference turns a quarter turn forward with every bit, as the carrier
// does at the boundaries; the sign of the matched sample against it is the
// data bit, and the sample with that sign taken off is averaged in.
VhfDetectorBranch::Decision VhfDetectorBranch::DecideCoherently(int position, BasebandSample matched) {
  const auto p = static_cast<std::size_t>(position);
  BasebandSample& reference = references_[p];
  const BasebandSample turned{-reference.q, reference.i};
  const float projection = matched.i * turned.i + matched.q * turned.q;
  const bool bit = projection < 0.0f;
  // Arithmetic, not a branch: on noise the bit is a coin toss.
  const float weight = kVhfCarrierAveraging * (1.0f - 2.0f * static_cast<float>(bit));
  reference.i = turned.i + (weight * matched.i - kVhfCarrierAveraging * turned.i);
  reference.q = turned.q + (weight * matched.q - kVhfCarrierAveraging * turned.q);
  coherentRegisters_[p] = ShiftIn(coherentRegisters_[p], bit);
  return {bit, std::abs(projection)};
}

// A sync that arrived inverted took the data signs of that position with it
// (the differential bit state, the coherent reference's sign); each is taken
// as sent from here on.
void VhfDetectorBranch::SearchForSync(int position) {
  const auto p = static_cast<std::size_t>(position);
  const SyncMatch differential = MatchSync(differentialRegisters_[p]);
  if (differential == SyncMatch::kInverted) {
    bitStates_[p] ^= 1;
    differentialRegisters_[p] = ~differentialRegisters_[p];
  }
  const SyncMatch coherent = MatchSync(coherentRegisters_[p]);
  if (coherent == SyncMatch::kInverted) {
    references_[p] = {-references_[p].i, -references_[p].q};
    coherentRegisters_[p] = ~coherentRegisters_[p];
  }
  FollowRun(differentialRun_, differential != SyncMatch::kNone, position);
  if (!locked_) FollowRun(coherentRun_, coherent != SyncMatch::kNone, position);
}

// Adjacent positions that all hold the sync are the open part of the eye;
// the lock waits for its far edge and takes the middle, where the bits are
// surest, instead of the position where the count happened to be reached.
void VhfDetectorBranch::FollowRun(int& run, bool holdsSync, int position) {
  if (!holdsSync) {
    const int ended = run;
    run = 0;
    // The run ended at the position before this one.
    if (ended >= kVhfLockThreshold) LockAt(position - 1 - (ended - 1) / 2);
    return;
  }
  if (++run == kVhfSamplesPerBit) LockAt(position - (kVhfSamplesPerBit - 1) / 2);
}

// Every position of the run was updated this bit, the chosen one included,
// so its registers hold the sync and the next byte, the first SYN, is 8 bits
// away.
void VhfDetectorBranch::LockAt(int position) {
  const int centre = (position + kVhfSamplesPerBit) % kVhfSamplesPerBit;
  differentialRun_ = 0;
  coherentRun_ = 0;
  lockedPosition_ = centre;
  locked_ = true;
  const auto c = static_cast<std::size_t>(centre);
  differentialReader_.Start(differentialRegisters_[c]);
  coherentReader_.Start(coherentRegisters_[c]);
}

// Registers, references and the position count run on, so that each
// position keeps comparing against its own sample one bit back.
void VhfDetectorBranch::ReturnToSearchWhenDone() {
  if (differentialReader_.Reading() || coherentReader_.Reading()) return;
  locked_ = false;
  bitStates_.fill(0);
}

// The "*" in the low byte is not handed over: with a sync allowed one wrong
// bit, its parity may fail, and it would end the attempt for nothing.
void VhfDetectorBranch::LockedReader::Start(uint32_t syncRegister) {
  register_ = syncRegister;
  margins_.fill(std::numeric_limits<float>::max());
  pushes_ = 0;
  bitCounter_ = 0;
  reading_ = true;
  assembler_.StartAfterLock();
}

void VhfDetectorBranch::LockedReader::Push(bool bit, float margin) {
  if (!reading_) return;
  register_ = ShiftIn(register_, bit);
  margins_[pushes_++ % margins_.size()] = margin;
  if (++bitCounter_ < 8) return;
  bitCounter_ = 0;
  HandOver();
}

// The low byte is the oldest complete one; three newer bytes sit above it.
// Its bit k was pushed 32 - k pushes ago.
void VhfDetectorBranch::LockedReader::HandOver() {
  VhfBitMargins byteMargins{};
  for (std::size_t k = 0; k < byteMargins.size(); ++k) byteMargins[k] = margins_[(pushes_ + k) % margins_.size()];
  if (!assembler_.Accept(static_cast<uint8_t>(register_ & 0xFF), byteMargins)) reading_ = false;
}

}  // namespace talvir
