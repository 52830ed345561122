#pragma once
// The two 16-bit check sequences of the system, both on the reflected
// polynomial x^16 + x^12 + x^5 + 1 (0x8408), bytes taken bit 0 first:
//  - the HFDL frame check sequence of ISO/IEC 3309 (CRC-16/X-25): register
//    starts at 0xFFFF, the FCS is its one's complement, stored low byte first;
//  - the VHF ACARS block check sequence (CRC-16/KERMIT): starts at 0, no
//    final inversion.

#include <cstdint>
#include <span>

namespace talvir {

inline constexpr uint16_t kCrc16ReflectedPoly = 0x8408;

// One byte into a reflected CRC-16 register.
constexpr uint16_t Crc16ReflectedUpdate(uint16_t crc, uint8_t byte) {
  for (int bit = 0; bit < 8; ++bit) {
    const bool feedback = ((byte >> bit) ^ crc) & 1;
    crc = static_cast<uint16_t>(crc >> 1);
    if (feedback) crc ^= kCrc16ReflectedPoly;
  }
  return crc;
}

// The FCS value to store after `data` (low byte first).
constexpr uint16_t HfdlFcs(std::span<const uint8_t> data) {
  uint16_t crc = 0xFFFF;
  for (uint8_t b : data) crc = Crc16ReflectedUpdate(crc, b);
  return static_cast<uint16_t>(~crc);
}

// Checks the FCS over bytes 0 .. n-1 against the one stored in bytes n, n+1.
// False when the frame does not hold those two bytes.
constexpr bool HfdlCrcCheck(std::span<const uint8_t> frame, int n) {
  if (n < 0) n = 0;
  if (frame.size() < static_cast<std::size_t>(n) + 2) return false;
  const uint16_t stored = static_cast<uint16_t>(frame[n] | (frame[n + 1] << 8));
  if (n == 0) return stored == 0;
  return stored == HfdlFcs(frame.first(static_cast<std::size_t>(n)));
}

// One byte of the ACARS BCS.
constexpr void AcarsCrc16Update(uint8_t byte, uint16_t& crc) {
  crc = Crc16ReflectedUpdate(crc, byte);
}

constexpr uint16_t AcarsBcs(std::span<const uint8_t> data) {
  uint16_t crc = 0;
  for (uint8_t b : data) AcarsCrc16Update(b, crc);
  return crc;
}

}  // namespace talvir
