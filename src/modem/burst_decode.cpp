#include "modem/burst_decode.h"

namespace talvir {

void FeedBurst(Deinterleaver& soft, ViterbiDecoder& viterbi) {
  soft.Rewind();
  const auto& rate = soft.rate();
  if (rate.repetition == 2) {
    for (int s = 0; s < rate.viterbiSteps; ++s) {
      const float r1 = soft.Read();
      const float r2 = soft.Read();
      const float r3 = soft.Read();
      const float r4 = soft.Read();
      viterbi.Step(r1 + r2, r3 + r4);
    }
  } else {
    for (int s = 0; s < rate.viterbiSteps; ++s) {
      const float r1 = soft.Read();
      const float r2 = soft.Read();
      viterbi.Step(r1, r2);
    }
  }
}

int DecodeBurst(Deinterleaver& soft, ViterbiDecoder& viterbi, std::span<uint8_t> bits) {
  viterbi.Reset();
  FeedBurst(soft, viterbi);
  return viterbi.Traceback(bits);
}

}  // namespace talvir
