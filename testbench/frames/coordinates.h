#pragma once
// Positions and aircraft addresses as an aircraft or ground station puts them
// on the air.
//
// A position travels as a 20-bit code: bit 19 is the sign (south or west),
// a negative value is the one's complement of its magnitude, and a magnitude
// of 2^19 - 1 stands for 180 degrees.
// The 24-bit ICAO address is sent most significant bit first while frame bytes
// fill from bit 0, so its three bytes hold the address with its bits reversed.

#include <array>
#include <cstdint>

namespace talvir::testbench {

inline constexpr uint32_t kCoordinateMagnitudeFull = 0x7FFFF;  // 180 degrees
inline constexpr uint32_t kCoordinateSignBit = 0x80000;
inline constexpr uint32_t kCoordinateCodeMask = 0xFFFFF;  // 20 bits
inline constexpr uint32_t kIcaoAddressMask = 0xFFFFFF;    // 24 bits

// Nearest code for -180..+180 degrees (positive north or east). Throws
// std::invalid_argument outside that range or for NaN.
uint32_t CoordinateCode(double degrees);
// Latitudes are limited to -90..+90 degrees.
uint32_t LatitudeCode(double degrees);
uint32_t LongitudeCode(double degrees);
// The degrees a code stands for, as the receiver computes them.
double CoordinateDegrees(uint32_t code);

// Bit i of a 24-bit value moved to bit 23 - i (its own inverse).
uint32_t ReverseBits24(uint32_t value);
// The three frame bytes (first byte first) that carry `icao` (24 bits;
// throws std::invalid_argument when it is wider).
std::array<uint8_t, 3> IcaoAddressField(uint32_t icao);

}  // namespace talvir::testbench
