#pragma once
// VHF ACARS as the audio of an AM airband receiver: 2400 bit/s minimum-shift
// keying between 1200 Hz and 2400 Hz, continuous phase. A data bit equal to
// the one before is sent as 2400 Hz, a changed bit as 1200 Hz.

#include <cstdint>
#include <span>
#include <vector>

#include "common/acars_characters.h"

namespace talvir::testbench {

inline constexpr double kAcarsMarkHz = 1200.0;   // the bit changes
inline constexpr double kAcarsSpaceHz = 2400.0;  // the bit stays
inline constexpr int kAcarsPrekeyBits = 128;     // all ones before the sync

struct MskOptions {
  double startSeconds = 0.0;  // silence before the pre-key
  float amplitude = 0.5f;     // peak of the tone
  int prekeyBits = kAcarsPrekeyBits;
  double initialPhase = 0.0;  // radians
};

// What follows the pre-key on the air: "+", "*", SYN, SYN (odd parity) and the
// block from its SOH on as given (text with parity bits, ETX or ETB, the two
// BCS bytes, DEL).
std::vector<uint8_t> AcarsTransmissionBytes(std::span<const uint8_t> blockFromSoh);

// The audio of one transmission at 48000 samples/s: `startSeconds` of
// silence, then the pre-key, the sync and the block, bits least significant
// first, with short ramps at both ends so the tone does not click.
std::vector<float> ModulateVhfAcars(std::span<const uint8_t> blockFromSoh, const MskOptions& options = {});

}  // namespace talvir::testbench
