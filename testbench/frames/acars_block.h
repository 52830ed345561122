#pragma once
// ACARS blocks as aircraft and ground stations send them, on VHF and inside
// HFDL alike: SOH, mode, registration, technical acknowledgement, label,
// block id, [STX, text], ETX or ETB, every one of those characters with odd
// parity in bit 7; then the block check sequence (CRC-16/KERMIT over
// everything after SOH through ETX or ETB, low byte first) and DEL.

#include <cstdint>
#include <string>
#include <vector>

#include "common/acars_characters.h"

namespace talvir::testbench {

inline constexpr int kAcarsMaxTextChars = 220;

struct AcarsMessage {
  char mode = '2';
  std::string registration{};  // up to 7 characters, padded in front with '.' (".N69154")
  char technicalAck = static_cast<char>(kAcarsNak);
  std::string label{};  // 2 characters
  char blockId = '1';
  // A downlink's text starts with its message number and flight id.
  bool downlink = true;
  std::string messageNumber{};  // up to 4 characters, padded with blanks
  std::string flightId{};       // up to 6 characters, padded with blanks
  std::string text{};           // up to 220 characters
  bool lastBlock = true;        // ends in ETX; otherwise ETB (more blocks follow)
};

// The block from SOH through DEL. An uplink without text carries no STX.
// Throws std::invalid_argument for fields that do not fit or characters
// outside 7-bit ASCII.
std::vector<uint8_t> BuildAcarsBlock(const AcarsMessage& message);

// On VHF the same block follows the pre-key and "+" "*" SYN SYN.
inline std::vector<uint8_t> BuildVhfAcarsBlock(const AcarsMessage& message) {
  return BuildAcarsBlock(message);
}

// `c` (7 bits) with bit 7 set where needed for an odd number of one bits.
uint8_t WithOddParity(uint8_t c);

}  // namespace talvir::testbench
