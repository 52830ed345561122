#include "testbench/dc_offset.h"

#include <cmath>
#include <numbers>

#include "common/decoder_links.h"

namespace talvir::testbench {

void AddDcOffset(std::span<float> audio, const DcOffset& offset) {
  if (offset.level == 0.0 && offset.driftAmplitude == 0.0) return;
  const double step = 2.0 * std::numbers::pi * offset.driftHz / kSampleRate;
  for (std::size_t n = 0; n < audio.size(); ++n) {
    const double wander = offset.driftAmplitude * std::sin(step * static_cast<double>(n));
    audio[n] = static_cast<float>(static_cast<double>(audio[n]) + offset.level + wander);
  }
}

}  // namespace talvir::testbench
