#pragma once
// VHF ACARS MSK demodulator for one sound-card channel: takes off any DC
// level, mixes the band centre to zero, low-passes and decimates to 24000
// samples/s (10 per bit), runs the MSK matched filter, and hands each
// matched sample to detector branches of different tone tilts; each
// decides the bits at every sample position until the sync sequence shows,
// then reads the locked position byte by byte into its frame assemblers. A
// block decoded more than once is handed over once, with its level. Lags its input by about
// two blocks (0.1 s). One object per channel; no shared state.

#include <array>
#include <cstdint>
#include <span>

#include "common/decoder_links.h"
#include "vhf/acars_msk.h"
#include "vhf/dc_blocker.h"
#include "vhf/vhf_detector_branch.h"
#include "vhf/vhf_duplicate_filter.h"
#include "vhf/vhf_level_meter.h"

namespace talvir {

class VhfDemodulator : public VhfBlockSink {
 public:
  // Every block whose BCS matches goes to `sink`, during ProcessBlock.
  // `correcting`: blocks with a few bit errors are mended under the BCS
  // (VhfFrameAssembler); off only to measure what that brings.
  explicit VhfDemodulator(VhfMessageSink& sink, bool correcting = true);

  // Samples of one channel in -1 .. +1, normally one capture block of
  // kBlockFrames. Other lengths are gathered into whole blocks first.
  void ProcessBlock(std::span<const float> samples) override;

  // Blocks of silence that push everything fed so far through to the sink:
  // two blocks of filter and demodulator lag, one for the three bytes still
  // in the shift register behind the last one read, one for a block that was
  // only partly gathered.
  static constexpr int kFlushBlocks = 4;

 private:
  // Mixed history at 48000 samples/s: index 0 .. 2499 the previous block,
  // 2500 .. 4999 the current one. Kept as even- and odd-indexed samples,
  // I and Q apart, so that filtering and decimating by 2 runs on contiguous
  // floats; each plane holds the previous block at 0 .. 1249.
  static constexpr int kPlaneLength = kBlockFrames;  // 5000 samples / 2 parities
  struct MixedPlanes {
    std::array<float, kPlaneLength> evenI{}, evenQ{}, oddI{}, oddQ{};
  };
  // Filtered history at 24000 samples/s: 9 samples from the call before,
  // then the outputs computed in the previous call (demodulated in this
  // one), then those computed in this call. The 9 on either side are what
  // the matched filter centred on each demodulated sample reaches.
  static constexpr int kFilteredLength = 2 * kVhfDecimatedPerBlock + kVhfMatchedFilterDelay;

  void ProcessWholeBlock(const float* samples);
  void MixIntoHistory(const float* samples);
  void FilterAndDecimate();
  void MatchPreviousOutputs();
  void DemodulatePreviousOutputs();

  DcBlocker dcBlocker_;
  std::array<float, kBlockFrames> withoutDc_{};  // scratch for one block
  MixedPlanes mixed_;
  std::array<float, kFilteredLength> filteredI_{}, filteredQ_{};
  std::array<float, kVhfDecimatedPerBlock> matchedI_{}, matchedQ_{};  // scratch for one block
  std::array<float, kBlockFrames> mixerPhases_{};  // scratch for one block
  float mixerPhase_ = 0.0f;                        // 0 <= phase < 2*pi

  // Gathers samples when a caller hands over other than whole blocks.
  std::array<float, kBlockFrames> pending_{};
  int pendingCount_ = 0;

  VhfDuplicateFilter duplicateFilter_;
  VhfLevelMeter levelMeter_;
  std::array<VhfDetectorBranch, kVhfBranchTilts.size()> branches_;
};

}  // namespace talvir
