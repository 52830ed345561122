#include "vhf/vhf_frame_assembler.h"

#include <bit>
#include <span>

#include "common/crc16.h"

namespace talvir {

namespace {

bool HasOddParity(uint8_t byte) { return (std::popcount(byte) & 1) != 0; }

}  // namespace

bool VhfFrameAssembler::Accept(uint8_t byte) {
  const bool parityChecked = frameState_ == FrameState::kHuntingSoh || frameState_ == FrameState::kText;
  if (parityChecked && !HasOddParity(byte)) return Finish();

  switch (frameState_) {
    case FrameState::kHuntingSoh:
      if (byte == kAcarsSoh) {
        messageLength_ = 0;
        message_[0] = kAcarsSoh;
        frameState_ = FrameState::kText;
      }
      return CountByte();
    case FrameState::kText: {
      message_[static_cast<std::size_t>(messageLength_)] = byte;
      const uint8_t character = byte & 0x7F;
      if (character == kAcarsEtx || character == kAcarsEtb) frameState_ = FrameState::kBcsLow;
      return CountByte();
    }
    case FrameState::kBcsLow:
      receivedBcs_ = byte;
      frameState_ = FrameState::kBcsHigh;
      return true;
    case FrameState::kBcsHigh: {
      receivedBcs_ = static_cast<uint16_t>(receivedBcs_ | (byte << 8));
      // The BCS covers everything after the SOH up to and including ETX/ETB.
      const std::span<const uint8_t> block(message_.data(), static_cast<std::size_t>(messageLength_));
      if (AcarsBcs(block.subspan(1)) == receivedBcs_) sink_.PrintVhfAcars(block);
      return Finish();
    }
  }
  return Finish();
}

// Before SOH the count runs from the lock, so that a lock on noise that never
// shows an SOH gives up after as many bytes as a whole message could hold.
bool VhfFrameAssembler::CountByte() {
  ++messageLength_;
  if (messageLength_ >= kAcarsMessageLimit) return Finish();
  return true;
}

bool VhfFrameAssembler::Finish() {
  frameState_ = FrameState::kHuntingSoh;
  return false;
}

}  // namespace talvir
