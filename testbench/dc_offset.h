#pragma once
// The DC level an AM receiver or a sound card leaves on its audio: a fixed
// offset with a slow sinusoidal wander around it.

#include <span>

namespace talvir::testbench {

struct DcOffset {
  double level = 0.0;           // full scale = 1
  double driftAmplitude = 0.0;  // peak of the wander around `level`
  double driftHz = 0.0;         // how fast it wanders
};

// Adds the offset to audio at 48000 samples/s; the wander starts at zero.
void AddDcOffset(std::span<float> audio, const DcOffset& offset);

}  // namespace talvir::testbench
