#pragma once
// The audio of an AM receiver from one channel's complex baseband: the
// envelope, less the carrier, divided by the carrier, so the audio's level
// follows the modulation depth and not the signal's strength (the AGC a
// receiver has). Between transmissions the noise is scaled the same way.

#include <complex>
#include <span>

namespace talvir {

class AmDemodulator {
 public:
  // Audio at full modulation depth: the level of an airband receiver's
  // line output.
  static constexpr float kFullDepthLevel = 0.4f;
  // The carrier follower's time constant: settles well within an ACARS
  // pre-key, and is slow beside the 1200 Hz tone.
  static constexpr double kCarrierSeconds = 0.005;

  explicit AmDemodulator(double rate);

  // out.size() >= in.size(); audio in -1 .. +1.
  void Process(std::span<const std::complex<float>> in, std::span<float> out);

 private:
  float pole_;
  float carrier_ = 0.0f;
};

}  // namespace talvir
