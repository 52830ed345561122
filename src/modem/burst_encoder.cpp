#include "modem/burst_encoder.h"

#include <algorithm>

namespace talvir {

void BurstEncoder::Encode(std::span<const uint8_t> bits, int rateCode) {
  const auto& rate = hfdl::Rate(rateCode);
  const auto repeat = static_cast<std::size_t>(rate.repetition);
  const int steps = std::min(static_cast<int>(bits.size()), rate.viterbiSteps);
  std::size_t at = 0;
  int state = 0;
  for (int s = 0; s < steps; ++s) {
    int first = 0;
    int second = 0;
    state = hfdl::EncoderStep(state, bits[static_cast<std::size_t>(s)] & 1, first, second);
    // Codes 6 and 7 send the first bit twice, then the second twice.
    for (std::size_t r = 0; r < repeat; ++r) coded_[at++] = static_cast<uint8_t>(first);
    for (std::size_t r = 0; r < repeat; ++r) coded_[at++] = static_cast<uint8_t>(second);
  }
  std::fill(coded_.begin() + static_cast<std::ptrdiff_t>(at), coded_.begin() + rate.softBits, uint8_t{0});

  const auto points = hfdl::Constellation(rate.modulation);
  count_ = rate.softBits / rate.bitsPerSymbol;
  hfdl::InterleaverCursor writer;
  for (int j = 0; j < count_; ++j) {
    std::size_t index = 0;
    for (int b = 0; b < rate.bitsPerSymbol; ++b) {
      index = index << 1 | coded_[static_cast<std::size_t>(hfdl::ReadIndex(writer))];
      writer.StepWrite(rate);
    }
    symbols_[static_cast<std::size_t>(j)] = points[index] * hfdl::BpskSign(hfdl::ScramblerBit(j));
  }
}

}  // namespace talvir
