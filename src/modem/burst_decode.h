#pragma once
// A burst's soft bits, deinterleaved, through the Viterbi decoder.

#include <cstdint>
#include <span>

#include "modem/deinterleaver.h"
#include "modem/viterbi_decoder.h"

namespace talvir {

// Reads the burst's soft bits from the start in decoder order (the two
// copies of codes 6 and 7 added), one decoder step for each pair.
void FeedBurst(Deinterleaver& soft, ViterbiDecoder& viterbi);

// Feeds a reset decoder and writes one decoded bit a step into bits.
// Returns the number of bits written.
int DecodeBurst(Deinterleaver& soft, ViterbiDecoder& viterbi, std::span<uint8_t> bits);

}  // namespace talvir
