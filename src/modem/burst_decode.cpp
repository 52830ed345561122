#include "modem/burst_decode.h"

namespace talvir {

int DecodeBurst(Deinterleaver& soft, ViterbiDecoder& viterbi, std::span<uint8_t> bits) {
  viterbi.Reset();
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
  return viterbi.Traceback(bits);
}

}  // namespace talvir
