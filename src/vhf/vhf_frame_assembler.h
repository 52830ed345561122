#pragma once
// Collects the bytes read at the locked bit position into one ACARS block:
// hunts the SOH, stores the text up to ETX or ETB, reads the two BCS bytes and
// hands the block on when the BCS matches.
//
// A correcting assembler also mends the likeliest bit errors, guided by the
// BCS: up to two text characters whose parity fails are kept, and at the end
// each is tried with one of the two bits its detector was least sure of
// flipped; with no parity failure, one of the two least sure BCS bits is
// tried. A try is handed on only when the parity of every character and the
// BCS then hold. The BCS has distance 4: a try of one bit never makes a
// block with at most two errors into a wrong block that passes; any other
// wrong block passes a try with one chance in 65536.

#include <array>
#include <cstdint>

#include "common/decoder_links.h"
#include "vhf/acars_msk.h"

namespace talvir {

// How sure the detector was of each bit of a byte, bit 0 first; only the
// order counts.
using VhfBitMargins = std::array<float, 8>;

class VhfFrameAssembler {
 public:
  VhfFrameAssembler(VhfMessageSink& sink, bool correcting) : sink_(sink), correcting_(correcting) {}

  // A new lock: hunting the SOH, counting from the first byte after it.
  void StartAfterLock() {
    Finish();
    messageLength_ = 0;
  }

  // One byte, least significant bit first on the air, parity in bit 7.
  // Returns false when this frame attempt is over (block delivered or
  // dropped, parity errors beyond repair, no end within the buffer limit);
  // the assembler is then hunting an SOH again and the demodulator must
  // search for a new sync.
  [[nodiscard]] bool Accept(uint8_t byte, const VhfBitMargins& margins = {});

 private:
  enum class FrameState { kHuntingSoh, kText, kBcsLow, kBcsHigh };

  // A text character whose parity failed: where, and its two least sure bits.
  struct BadCharacter {
    int index = 0;
    std::array<uint8_t, 2> weakBits{};
  };
  static constexpr int kMaxBadCharacters = 2;

  bool KeepBadCharacter(const VhfBitMargins& margins);
  bool CountByte();
  void DeliverIfItHolds();
  uint16_t Syndrome() const;
  bool Finish();

  VhfMessageSink& sink_;
  const bool correcting_;
  FrameState frameState_ = FrameState::kHuntingSoh;
  int messageLength_ = 0;  // 0 .. 299
  uint16_t receivedBcs_ = 0;
  std::array<float, 16> bcsMargins_{};  // low byte's bits, then the high byte's
  std::array<BadCharacter, kMaxBadCharacters> badCharacters_{};
  int badCount_ = 0;
  std::array<uint8_t, kAcarsMessageLimit> message_{};  // SOH .. ETX/ETB, parity kept
};

}  // namespace talvir
