#pragma once
// Decoded bits back into the data symbols that carried them: the
// convolutional code, the interleaver, the Gray mapping and the scrambler,
// as a transmitter applies them. The receiver uses the symbols as training
// when it equalises a burst once more.

#include <array>
#include <cstdint>
#include <span>

#include "modem/complex_math.h"
#include "modem/hfdl_phy.h"

namespace talvir {

class BurstEncoder {
 public:
  static constexpr int kMaxSymbols = hfdl::kMaxDataBlocks * hfdl::kDataSymbols;

  // bits: one decoded bit a Viterbi step, as many as the rate code has.
  void Encode(std::span<const uint8_t> bits, int rateCode);
  // The burst's data symbols in time order, scrambled as sent.
  std::span<const Complex> Symbols() const {
    return std::span<const Complex>(symbols_.data(), static_cast<std::size_t>(count_));
  }

 private:
  // Coded bits in the decoder's read order.
  std::array<uint8_t, hfdl::kMaxSoftBits> coded_{};
  std::array<Complex, kMaxSymbols> symbols_{};
  int count_ = 0;
};

}  // namespace talvir
