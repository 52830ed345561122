#pragma once
// One set of ten bit-position detectors behind a fixed tone tilt: reads the
// filtered 24000 samples/s baseband one sample at a time, decides each bit on
// the phase turned over the whole bit, searches all ten sample positions for
// the sync sequence and, once locked at the centre of the positions that see
// it, reads that position byte by byte into its frame assembler.
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

class VhfDetectorBranch {
 public:
  // `tilt` in [0, 1): 0 leaves the baseband as it is; larger values lift the
  // 2400 Hz tone further against the 1200 Hz tone.
  VhfDetectorBranch(VhfMessageSink& sink, float tilt);

  // One filtered sample (I, Q) at 24000 samples/s.
  void Step(float i, float q);

 private:
  void BitStep(bool phaseTurnedBack, int position);
  void SearchForSync(int position);
  void LockAt(int position);
  void HandByteToAssembler(uint8_t byte);
  void ReturnToSearch();

  // The tilt is y[n] = z[n] - tiltFactor * z[n-1], with the 1800 Hz mixing
  // folded into the complex factor.
  float tiltI_ = 0.0f, tiltQ_ = 0.0f;
  float previousI_ = 0.0f, previousQ_ = 0.0f;  // untilted sample before
  // Tilted samples of the last bit, by sample position.
  std::array<float, kVhfSamplesPerBit> bitAgoI_{}, bitAgoQ_{};

  bool locked_ = false;
  int samplePosition_ = 0;                                    // 0 .. 9 within one bit
  std::array<uint32_t, kVhfSamplesPerBit> shiftRegisters_{};  // new bits enter at bit 31
  std::array<uint8_t, kVhfSamplesPerBit> bitStates_{};        // differential data bit, 0/1
  int bitCounter_ = 0;                                        // 0 .. 7 bits since the last byte
  int lockedPosition_ = 0;                                    // 0 .. 9
  int matchCounter_ = 0;                                      // consecutive positions holding the sync

  VhfFrameAssembler assembler_;
};

}  // namespace talvir
