#pragma once
// One set of ten bit-position detectors behind a fixed tone tilt: reads the
// matched-filtered 24000 samples/s baseband one sample at a time, decides
// each bit at each of the ten sample positions twice over, searches both kinds of
// decision for the sync sequence and, once locked at the centre of the
// positions that see it, reads that position byte by byte into a frame
// assembler for each kind.
//
// The coherent decision: MSK with these tones is, at the bit boundaries, a
// carrier turning a quarter turn forward every bit whose sign is the data
// bit. The half-sine matched filter around the boundary, against a carrier
// reference averaged over the bits decided before, decides about 3 dB surer
// than the phase turn. The phase turn over the whole bit (differential
// decision) still takes receivers whose audio bends the carrier's phase.
//
// Real receivers rarely pass both tones at the same level: audio that falls
// off towards 2400 Hz drags the phase of the weak tone's bits towards the
// strong one. The tilt lifts 2400 Hz against 1200 Hz by a set amount, so that
// branches with different tilts cover receivers with different slopes.

#include <array>
#include <cstdint>

#include "vhf/acars_msk.h"
#include "vhf/vhf_frame_assembler.h"

namespace talvir {

struct BasebandSample {
  float i = 0.0f, q = 0.0f;
};

class VhfDetectorBranch {
 public:
  // `tilt` in [0, 1): 0 leaves the baseband as it is; larger values lift the
  // 2400 Hz tone further against the 1200 Hz tone.
  // `correcting`: the coherent reading mends bit errors (VhfFrameAssembler).
  VhfDetectorBranch(VhfMessageSink& sink, float tilt, bool correcting);

  // The matched filter's output for one filtered sample at 24000 samples/s.
  void Step(BasebandSample matched);

 private:
  // Collects the bits of one kind at the locked position into bytes for its
  // frame assembler.
  class LockedReader {
   public:
    LockedReader(VhfMessageSink& sink, bool correcting) : assembler_(sink, correcting) {}
    // The register holds the sync, "*" in its low byte.
    void Start(uint32_t syncRegister);
    // `margin`: how sure the detector was of the bit.
    void Push(bool bit, float margin);
    [[nodiscard]] bool Reading() const { return reading_; }

   private:
    void HandOver();

    bool reading_ = false;
    uint32_t register_ = 0;  // new bits enter at bit 31
    // The margins of the bits in the register: the bit pushed n-th sits at
    // n mod 32; the sync's bits count as sure.
    std::array<float, 32> margins_{};
    uint32_t pushes_ = 0;
    int bitCounter_ = 0;  // 0 .. 7 bits since the last byte
    VhfFrameAssembler assembler_;
  };

  struct Decision {
    bool bit = false;
    float margin = 0.0f;  // only the order counts
  };

  BasebandSample Tilted(BasebandSample sample);
  bool DecideDifferentially(int position, BasebandSample matched);
  Decision DecideCoherently(int position, BasebandSample matched);
  void SearchForSync(int position);
  void FollowRun(int& run, bool holdsSync, int position);
  void LockAt(int position);
  void ReturnToSearchWhenDone();

  // The tilt is y[n] = z[n] - tiltFactor * z[n-1], with the 1800 Hz mixing
  // folded into the complex factor.
  BasebandSample tilt_;
  BasebandSample previous_;  // untilted
  // Tilted samples of the last bit, by sample position.
  std::array<BasebandSample, kVhfSamplesPerBit> bitAgo_{};
  // Carrier phase at each position's boundaries with the quarter turn of
  // every bit taken out: the average of the matched samples times their
  // decided sign.
  std::array<BasebandSample, kVhfSamplesPerBit> references_{};

  bool locked_ = false;
  int samplePosition_ = 0;                                  // 0 .. 9 within one bit
  std::array<uint8_t, kVhfSamplesPerBit> bitStates_{};      // differential data bit, 0/1
  // The decisions of both kinds by position; new bits enter at bit 31.
  std::array<uint32_t, kVhfSamplesPerBit> differentialRegisters_{};
  std::array<uint32_t, kVhfSamplesPerBit> coherentRegisters_{};
  int differentialRun_ = 0;  // consecutive positions holding the sync
  int coherentRun_ = 0;
  int lockedPosition_ = 0;  // 0 .. 9

  LockedReader differentialReader_;
  LockedReader coherentReader_;
};

}  // namespace talvir
