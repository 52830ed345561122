#pragma once
// The HFDL modem: from the HF channel's audio to Viterbi-decoded frame bytes.
// Every 25 ms block it either searches the three candidate paths for a burst
// preamble (state Searching) or equalises one 45-symbol block of the burst
// being received (state Receiving). A complete burst is equalised once more
// from its end, sliced into the deinterleaver, decoded and handed to the
// frame receiver.
//
// Runs on the worker thread; the accessors below may be called from any
// thread. The object is large (about 1 MB): create it on the heap.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>

#include "common/decoder_links.h"
#include "common/ui_link.h"
#include "modem/backward_equaliser.h"
#include "modem/baseband_front_end.h"
#include "modem/burst_encoder.h"
#include "modem/burst_levels.h"
#include "modem/candidate_path.h"
#include "modem/carrier_notch.h"
#include "modem/constellation_ring.h"
#include "modem/decided_canceller.h"
#include "modem/deinterleaver.h"
#include "modem/direction_blend.h"
#include "modem/equalised_burst.h"
#include "modem/frame_counters.h"
#include "modem/hfdl_phy.h"
#include "modem/preamble_search.h"
#include "modem/resampler.h"
#include "modem/rls_equaliser.h"
#include "modem/slot_clock.h"
#include "modem/soft_slicer.h"
#include "modem/viterbi_decoder.h"

namespace talvir {

enum class ModemState { kSearching, kReceiving };

// What the constellation display shows, copied under one lock.
struct ConstellationView {
  ConstellationRing::Points points{};
  std::string modeText;        // "300bps 1.8s"
  std::string slotText;        // "TS(3)"
  int detectedSlotIndex = 0;   // 1..13 at the last detection
};

class HfdlModem final : public HfSampleSink, public SlotClockControl {
 public:
  static constexpr int kMinVotes = 90;           // of 127 training decisions
  static constexpr float kMinCoherentPeak = 3.0f;

  // ui: where the status line, constellation and statistics notifications
  // go, naming hfChannel.
  explicit HfdlModem(HfdlFrameReceiver& receiver, UiLink& ui = UiLink::None(), int hfChannel = 0);
  HfdlModem(const HfdlModem&) = delete;
  HfdlModem& operator=(const HfdlModem&) = delete;

  // One capture buffer of the HF channel at 48000/s (any length).
  void ModemFeedSamples(std::span<const float> samples) override;
  // Or the channel's complex baseband from an SDR, centred on the burst
  // carrier (the dial + 1440 Hz), at the rate SetBasebandRate set.
  void ModemFeedBaseband(std::span<const Complex> samples);
  // 7200 to 28800 samples/s; false (nothing changed) outside.
  bool SetBasebandRate(double samplesPerSecond) { return baseband_.SetInputRate(samplesPerSecond); }
  // A good squitter: slot 0 now.
  void SlotClockReset() override;

  // Start-up reset: oscillators, AGC powers, resampler counters.
  void Reset();

  int GetRateCode() const { return rateCode_.load(std::memory_order_relaxed); }
  int GetCurrentSlot() const { return clock_.CurrentSlot(); }
  int DetectedSlotIndex() const { return detectedSlotIndex_.load(std::memory_order_relaxed); }
  ModemState State() const { return state_.load(std::memory_order_relaxed); }
  // The modem status line as last set: a burst report or "Listening".
  std::string StatusLine() const;
  ConstellationView Constellation() const;
  FrameCounters::Values Counters() const { return counters_.Snapshot(); }
  // The Statistics window's reset.
  void ResetFrameCounters();

  // 1..13 now, 13 in slot 0.
  int GetRawSlotIndex() const { return clock_.RawSlotIndex(); }
  const CandidatePath& Path(int index) const { return paths_[static_cast<std::size_t>(index)]; }
  const CarrierNotch& Notches() const { return notch_; }
  // Candidates that passed the coherent check but not the vote, since start.
  int VoteRejections() const { return voteRejections_.load(std::memory_order_relaxed); }
  // The soft bits of the burst's last decode (the second hearing's, where
  // it ran), valid while the frame receiver runs; for measuring the
  // equaliser's error rate.
  const Deinterleaver& SoftBits() const { return deinterleaver_; }

 private:
  static constexpr int kGuard = RlsEqualiser::kCentreTap;  // zero samples around the corrected copy
  static constexpr int kCorrectedSize = CandidatePath::kWindowSize + 2 * kGuard;

  // One 180-sample block at 7200/s, from the resampler.
  void ModemProcessBlock(Resampler::Block block);
  void SearchStep();
  int ConfirmBurst(int path, int position);
  float EstimateFrequency(const CandidatePath::Window& x, int position) const;
  float CoherentCorrelation(const Complex* y) const;
  int IdentifyMode(const Complex* y) const;
  int TrainOnPreamble(int position, int code);
  void SetMode(int code);
  void ReportBurst(int code, int path, float omega, int votes, float magnitude);

  void BurstBegin();
  void ReceiveStep();
  int ModemBlock(std::span<const Complex, hfdl::kBlockPathSamples> samples);
  // The first decode's soft bits, and the second hearing's.
  void SliceBurst(int blocks);
  void SliceBlock(int block, int blocks, float& smoothedSnr);
  void SliceDecided(int blocks);
  // Decodes the deinterleaver's soft bits into bits_ and frame; returns the bytes.
  int DecodeInto(std::span<uint8_t, hfdl::kMaxFrameBytes> frame);
  // The first `bytes` of retry_, into frame_ if they pass the frame check;
  // returns bytes, or 0.
  int TakeIfIntact(int bytes);
  // Hears and decodes again until the frame check passes, then tries the
  // last decode's next-best paths; returns the bytes of the frame that
  // passed (into frame_), or 0.
  int DecodeAgain(int blocks);
  // The last decode's next-best paths, cheapest first, until one passes
  // the frame check; returns as DecodeAgain.
  int DecodeDetours();
  void ModemCompleteFrame();
  void SetStatus(std::string line);

  HfdlFrameReceiver& receiver_;
  UiLink& ui_;
  const int hfChannel_;
  Resampler resampler_;
  BasebandFrontEnd baseband_;
  CarrierNotch notch_;
  std::array<float, Resampler::kBlockSize> notched_{};
  std::array<CandidatePath, hfdl::kCandidatePaths> paths_{};
  std::array<PreambleSearcher, hfdl::kCandidatePaths> searchers_{};
  // The chosen path's window with its offset removed, between zero guards.
  std::array<Complex, kCorrectedSize> corrected_{};
  SlotClock clock_;
  // Two equalisers on the same samples: one that forgets as built and
  // follows fading channels, one that remembers longer and holds its phase
  // steadier, which loses less to its own adaptation in steady noise.
  static constexpr int kEqualisers = 2;
  std::array<RlsEqualiser, kEqualisers> equalisers_{RlsEqualiser(RlsEqualiser::kFollowing),
                                                    RlsEqualiser(RlsEqualiser::kSteady)};
  // Each equaliser's probe SNR, smoothed over blocks (this share of the old
  // value stays each block): one noisy probe group should not decide.
  static constexpr float kSnrMemory = 0.7f;
  std::array<float, kEqualisers> smoothedSnr_{};
  // What the equalisers made of each data block, kept until the burst is
  // complete and the backward pass has run.
  struct ForwardBlock {
    RlsEqualiser::Outputs steady{};  // the following equaliser's are in following_
    std::array<SymbolScale, kEqualisers> scales{};
    std::array<float, kEqualisers> smoothedSnr{};
  };
  // The blend's smoothed probe SNR must beat the steady equaliser's by this
  // factor (1 dB): in steady noise the two measure close, and the steady
  // one decodes better there.
  static constexpr float kBlendMargin = 1.25f;
  static constexpr int kFollowing = 0;
  static constexpr int kSteady = 1;
  std::array<ForwardBlock, hfdl::kMaxDataBlocks + 1> forward_{};
  // The following equaliser's blocks and probe fits, for the blend.
  EqualisedBurst following_;

  BackwardEqualiser backward_;
  // Each data block's blend and the scales the soft bits could take, once
  // the burst is complete. Two probe groups measure a block's amplitude and
  // noise only to about 20 % at the lowest SNRs, and a block weighed by a
  // wrong factor costs the decoder about that error squared; the channel
  // changes little within this many blocks either side (0.1 s), even in
  // fading, so the soft bits take the scale averaged over them. Long bursts
  // gained most: they have more blocks to be weighed wrong.
  static constexpr int kScaleSpan = 4;
  std::array<DirectionBlend, hfdl::kMaxDataBlocks + 1> blends_{};
  std::array<SymbolScale, hfdl::kMaxDataBlocks> blendScales_{};
  std::array<SymbolScale, hfdl::kMaxDataBlocks> steadyScales_{};

  // A burst whose frame check fails is heard again with what the decoder
  // made of it taken as known, and decoded again, up to this many times (a
  // second pass mends a few more). The frame handed on is the first that
  // passes, else the first decoded.
  static constexpr int kDecidedPasses = 2;
  BurstEncoder encoder_;
  DecidedCanceller canceller_;
  std::array<SymbolScale, hfdl::kMaxDataBlocks> decidedScales_{};
  std::array<uint8_t, hfdl::kMaxFrameBytes> retry_{};
  // A frame that still fails is tried along the decoder's next-best paths,
  // each leaving the best one at one step, the cheapest this many. A wrong
  // one passes the frame check by chance about once in 2^16, so eight add
  // about one false frame in 8000 failed bursts; in the bench nine in ten
  // of the paths that mended a frame were among the cheapest eight.
  static constexpr int kDetours = 8;
  std::array<uint8_t, hfdl::kMaxViterbiSteps> detour_{};

  Deinterleaver deinterleaver_;
  ConstellationRing ring_;
  ViterbiDecoder viterbi_;
  FrameCounters counters_;
  SoftSlicer slicer_ = SliceBpsk;

  std::atomic<ModemState> state_{ModemState::kSearching};
  int activePath_ = 0;
  int dataStart_ = 0;  // window index of the next block during reception
  std::atomic<int> rateCode_{0};
  std::atomic<int> detectedSlotIndex_{0};
  std::atomic<int> voteRejections_{0};

  // Receive state.
  int scramblerPosition_ = 0;
  int remainingSoftBits_ = 0;
  int blockCounter_ = 0;
  std::array<float, hfdl::kBlockSymbols> record_{};
  std::array<uint8_t, hfdl::kMaxViterbiSteps> bits_{};
  std::array<uint8_t, hfdl::kMaxFrameBytes> frame_{};
  std::string burstReport_;  // the status line of the burst being received
  BurstLevels levels_;
  struct {
    double frequencyErrorHz = 0.0;
    float magnitude = 0.0f;
    int votes = 0;
  } burstQuality_;

  mutable std::mutex textLock_;  // guards the texts below
  std::string statusLine_;
  std::string modeText_;
  std::string slotText_;
};

}  // namespace talvir
