#pragma once
// Measures each VHF block's level on its way to the sink: the mean power of
// the band-limited baseband over the bits the block took on the air, on the
// scale ACARS feeders report. Their level reads 6 dB above the audio's mean
// power relative to full scale (the same recordings through both agree
// within a dB), which is 10 log10(8 |z|^2) of the mixed baseband z: a tone
// of peak A mixes down to |z| = A / 2.

#include <array>
#include <cstdint>
#include <span>

#include "common/decoder_links.h"
#include "vhf/acars_msk.h"

namespace talvir {

class VhfLevelMeter final : public VhfMessageSink {
 public:
  explicit VhfLevelMeter(VhfMessageSink& sink) : sink_(sink) {}

  // The low-passed baseband sample at 24000/s that the detectors decide on
  // next.
  void Push(float i, float q);

  void PrintVhfAcars(std::span<const uint8_t> block, const VhfBlockQuality& quality) override;

  // What a block of mean squared baseband magnitude `power` reads; a floor
  // instead of minus infinity for silence.
  static double LevelDb(double power);

 private:
  // A block is handed over when the byte after its last BCS byte and two
  // more have been read: that many bits after it ended.
  static constexpr int kHandOverLagBits = 24;
  static constexpr int kBcsBits = 16;
  static constexpr int kHistoryBits = 4096;
  static_assert(kHistoryBits >= kAcarsMessageLimit * 8 + kBcsBits + kHandOverLagBits);

  VhfMessageSink& sink_;
  std::array<float, kHistoryBits> bitPowers_{};  // sums over each bit's samples
  uint64_t bits_ = 0;                            // complete bits so far
  float partialBit_ = 0.0f;
  int samplesInBit_ = 0;
};

}  // namespace talvir
