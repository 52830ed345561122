#pragma once
// ACARS on VHF and inside HFDL: the control characters that frame a block
// (values without their parity bit) and the VHF bit rate.

#include <cstdint>

namespace talvir {

inline constexpr uint8_t kAcarsSoh = 0x01;
inline constexpr uint8_t kAcarsStx = 0x02;
inline constexpr uint8_t kAcarsEtx = 0x03;
inline constexpr uint8_t kAcarsNak = 0x15;
inline constexpr uint8_t kAcarsSyn = 0x16;
inline constexpr uint8_t kAcarsEtb = 0x17;
inline constexpr uint8_t kAcarsDel = 0x7F;

inline constexpr int kAcarsBitRate = 2400;

}  // namespace talvir
