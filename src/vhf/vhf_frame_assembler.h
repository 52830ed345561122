#pragma once
// Collects the bytes read at the locked bit position into one ACARS block:
// hunts the SOH, stores the text up to ETX or ETB, reads the two BCS bytes and
// hands the block on when the BCS matches.

#include <array>
#include <cstdint>

#include "common/decoder_links.h"
#include "vhf/acars_msk.h"

namespace talvir {

class VhfFrameAssembler {
 public:
  explicit VhfFrameAssembler(VhfMessageSink& sink) : sink_(sink) {}

  // A new lock: counting starts again at the first byte after it.
  void StartAfterLock() { messageLength_ = 0; }

  // One byte, least significant bit first on the air, parity in bit 7.
  // Returns false when this frame attempt is over (block delivered or
  // dropped, parity error, no end within the buffer limit); the assembler is
  // then hunting an SOH again and the demodulator must search for a new sync.
  [[nodiscard]] bool Accept(uint8_t byte);

 private:
  enum class FrameState { kHuntingSoh, kText, kBcsLow, kBcsHigh };

  bool CountByte();
  bool Finish();

  VhfMessageSink& sink_;
  FrameState frameState_ = FrameState::kHuntingSoh;
  int messageLength_ = 0;  // 0 .. 299
  uint16_t receivedBcs_ = 0;
  std::array<uint8_t, kAcarsMessageLimit> message_{};  // SOH .. ETX/ETB, parity kept
};

}  // namespace talvir
