#pragma once
// The 24-bit ICAO aircraft address of log-on LPDUs. It is sent most
// significant bit first while frame bytes fill from bit 0, so the three bytes'
// 24 bits come in reverse order.

#include <cstdint>
#include <span>

namespace talvir {

inline int ReverseBits24(int v) {
  int reversed = 0;
  for (int bit = 0; bit < 24; ++bit) {
    if ((v >> bit) & 1) reversed |= 1 << (23 - bit);
  }
  return reversed;
}

// From the first three bytes of `body`, which must hold them.
inline int ReadIcaoAddress(std::span<const uint8_t> body) {
  return ReverseBits24(body[0] | (body[1] << 8) | (body[2] << 16));
}

}  // namespace talvir
