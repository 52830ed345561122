#pragma once
// HFDL 20-bit coordinate codes and 2-second time units as text. Bit 19 of a
// code is the sign; a negative code's magnitude is its one's complement's low
// 19 bits; degrees = magnitude * 180 / (2^19 - 1).

#include <cstdint>
#include <string>

namespace talvir {

inline constexpr int32_t kCoordinateSignBit = 0x80000;
inline constexpr int32_t kCoordinateMagnitudeMask = 0x7FFFF;
inline constexpr double kCoordinateFullScale = 524287.0;  // 2^19 - 1

int32_t CoordinateMagnitude(int32_t code);
bool CoordinateNegative(int32_t code);
// Signed degrees: north and east positive.
double CoordinateDegrees(int32_t code);

// "%d %d %d ": whole degrees, minutes, seconds of a magnitude.
std::string FormatDegreesMinutesSeconds(int32_t magnitude);
std::string FormatLatitude(int32_t code);   // "<dms> N " / "<dms> S "
std::string FormatLongitude(int32_t code);  // "<dms> E " / "<dms> W "
// The comma-separated forms of the DDE item.
std::string FormatDdeLatitude(int32_t code);   // "d,m,s,N"
std::string FormatDdeLongitude(int32_t code);  // "d,m,s,E"

// t in 2-second units since 00:00 UTC.
std::string FormatHalfSecondsTime(int32_t t);  // "hh:mm:ss " (trailing blank)
std::string FormatDdeTime(int32_t t);          // "hhmmss"

}  // namespace talvir
