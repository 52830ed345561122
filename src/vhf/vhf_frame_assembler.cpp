#include "vhf/vhf_frame_assembler.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <span>

#include "common/crc16.h"

namespace talvir {

namespace {

bool HasOddParity(uint8_t byte) { return (std::popcount(byte) & 1) != 0; }

// The indices of the `count` smallest margins, smallest first.
template <std::size_t kCount, std::size_t kSize>
std::array<uint8_t, kCount> Weakest(const std::array<float, kSize>& margins) {
  std::array<uint8_t, kSize> order{};
  std::iota(order.begin(), order.end(), uint8_t{0});
  std::partial_sort(order.begin(), order.begin() + kCount, order.end(),
                    [&](uint8_t a, uint8_t b) { return margins[a] < margins[b]; });
  std::array<uint8_t, kCount> weakest{};
  std::copy_n(order.begin(), kCount, weakest.begin());
  return weakest;
}

}  // namespace

bool VhfFrameAssembler::Accept(uint8_t byte, const VhfBitMargins& margins) {
  const bool parityChecked = frameState_ == FrameState::kHuntingSoh || frameState_ == FrameState::kText;
  if (parityChecked && !HasOddParity(byte) && !KeepBadCharacter(margins)) return Finish();

  switch (frameState_) {
    case FrameState::kHuntingSoh:
      if (byte == kAcarsSoh) {
        messageLength_ = 0;
        message_[0] = kAcarsSoh;
        badCount_ = 0;
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
      std::copy(margins.begin(), margins.end(), bcsMargins_.begin());
      frameState_ = FrameState::kBcsHigh;
      return true;
    case FrameState::kBcsHigh:
      receivedBcs_ = static_cast<uint16_t>(receivedBcs_ | (byte << 8));
      std::copy(margins.begin(), margins.end(), bcsMargins_.begin() + 8);
      DeliverIfItHolds();
      return Finish();
  }
  return Finish();
}

// Only text characters are worth keeping: before the SOH there is nothing
// to mend.
bool VhfFrameAssembler::KeepBadCharacter(const VhfBitMargins& margins) {
  if (!correcting_ || frameState_ != FrameState::kText || badCount_ == kMaxBadCharacters) return false;
  badCharacters_[static_cast<std::size_t>(badCount_++)] = {messageLength_, Weakest<2>(margins)};
  return true;
}

// Before SOH the count runs from the lock, so that a lock on noise that never
// shows an SOH gives up after as many bytes as a whole message could hold.
bool VhfFrameAssembler::CountByte() {
  ++messageLength_;
  if (messageLength_ >= kAcarsMessageLimit) return Finish();
  return true;
}

// The BCS covers everything after the SOH up to and including ETX/ETB. Zero
// when it holds; one misread bit of the received BCS leaves just that bit.
uint16_t VhfFrameAssembler::Syndrome() const {
  const std::span<const uint8_t> block(message_.data(), static_cast<std::size_t>(messageLength_));
  return static_cast<uint16_t>(AcarsBcs(block.subspan(1)) ^ receivedBcs_);
}

void VhfFrameAssembler::DeliverIfItHolds() {
  const auto deliver = [&](int correctedBits) {
    sink_.PrintVhfAcars(std::span<const uint8_t>(message_).first(messageLength_), {.correctedBits = correctedBits});
  };
  const auto flip = [&](const BadCharacter& bad, uint8_t bit) {
    message_[static_cast<std::size_t>(bad.index)] ^= static_cast<uint8_t>(1u << bit);
  };
  // The ETX or ETB itself may be the bad character: a try that makes it
  // another character leaves a block without an end, whatever the BCS says.
  const auto holds = [&] {
    const uint8_t last = message_[static_cast<std::size_t>(messageLength_ - 1)] & 0x7F;
    return Syndrome() == 0 && (last == kAcarsEtx || last == kAcarsEtb);
  };
  switch (badCount_) {
    case 0: {
      const uint16_t syndrome = Syndrome();
      if (syndrome == 0) {
        deliver(0);
      } else if (correcting_) {
        // The text is right and one BCS bit was misread.
        for (const uint8_t bit : Weakest<2>(bcsMargins_)) {
          if (syndrome == (1u << bit)) deliver(1);
        }
      }
      return;
    }
    case 1:
      for (const uint8_t bit : badCharacters_[0].weakBits) {
        flip(badCharacters_[0], bit);
        if (holds()) return deliver(1);
        flip(badCharacters_[0], bit);
      }
      return;
    default:
      for (const uint8_t first : badCharacters_[0].weakBits) {
        for (const uint8_t second : badCharacters_[1].weakBits) {
          flip(badCharacters_[0], first);
          flip(badCharacters_[1], second);
          if (holds()) return deliver(2);
          flip(badCharacters_[0], first);
          flip(badCharacters_[1], second);
        }
      }
      return;
  }
}

bool VhfFrameAssembler::Finish() {
  frameState_ = FrameState::kHuntingSoh;
  badCount_ = 0;
  return false;
}

}  // namespace talvir
