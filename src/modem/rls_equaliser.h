#pragma once
// A fractionally spaced linear equaliser of 32 taps (two samples per symbol),
// adapted by UD-RLS on known symbols only: symbol by symbol through the
// preamble, then on the 15 probe symbols of every 45-symbol block. The 30
// data symbols between two probe groups are equalised with weights
// interpolated between the weights before and after the later group, so a
// block's data come out one block late. Outputs are scaled to 0.1.
//
// After each probe group the weights are turned back by the phase the probes
// showed. The equaliser that follows fading turns them by all of it; the one
// with the long memory turns them by a share of it plus a tracked drift (a
// second-order loop, its drift started from the turns of the training), since
// in steady noise the phase of 15 probes alone is too noisy for 8PSK.

#include <array>
#include <span>

#include "modem/complex_math.h"
#include "modem/hfdl_phy.h"
#include "modem/symbol_scale.h"
#include "modem/ud_rls_core.h"

namespace talvir {

// How an equaliser follows the channel.
struct EqualiserTracking {
  double inflation = UdRlsCore::kInflation;  // gamma: how fast the RLS forgets
  float phaseGain = 1.0f;                    // share of a probe group's phase turned back
  float driftGain = 0.0f;                    // how fast the per-block drift follows it
};

class RlsEqualiser {
 public:
  static constexpr int kTaps = 32;
  static constexpr int kCentreTap = 16;  // the symbol's own sample
  static constexpr int kProbes = hfdl::kProbeSymbols;
  static constexpr int kData = hfdl::kDataSymbols;
  static constexpr int kRecordSize = hfdl::kBlockSymbols;          // 45
  static constexpr int kBlockSamples = hfdl::kBlockPathSamples;    // 90
  static constexpr float kTargetScale = 0.1f;

  using Record = std::span<const float, kRecordSize>;  // 15 probes, then 30 scrambler values
  using Outputs = std::array<Complex, kData>;

  using Tracking = EqualiserTracking;
  // As built: forgets with UdRlsCore::kInflation, turns the whole phase back.
  static constexpr Tracking kFollowing{};
  // 20 times the memory and a third of each group's phase: in steady noise
  // its outputs come 0.2 - 0.3 dB closer to ideal detection.
  static constexpr Tracking kSteady{UdRlsCore::kInflation / 20, 0.3f, 0.05f};

  explicit RlsEqualiser(Tracking tracking = kFollowing) : tracking_(tracking) {}

  // Zeroes the sample and symbol histories (the first reception block then
  // applies no phase correction and its outputs are discarded).
  void Configure();
  // U = I, D = 1, the equaliser's gamma, weights and phase accumulator 0;
  // the update counter stays.
  void Reset();

  // One adaptation on a known symbol whose own sample is *sample; the 16
  // samples before and 15 after it must be readable. Returns y * target.
  Complex TrainStep(const Complex* sample, float target);
  // Takes the samples just before the first reception block as its history,
  // without adapting, so that the first probes see the whole span of taps.
  void Preload(std::span<const Complex, kBlockSamples> samples);
  // One reception block: 90 new samples and their record. Returns the 30
  // descrambled outputs of the previous block.
  const Outputs& ProcessBlock(std::span<const Complex, kBlockSamples> samples, Record record);
  // Turns the weights back by the whole phase accumulated since the last turn.
  void RotateWeights();
  // The scale of the outputs ProcessBlock last returned, from the probe
  // groups before and after them.
  SymbolScale DataScale() const;

  // The last probe group's outputs before adaptation, as y * target.
  using ProbeFits = std::array<Complex, kProbes>;
  const ProbeFits& LastProbeFits() const { return fit_; }
  // From probe outputs before adaptation, as y * target: their mean is the
  // point's amplitude, their spread the noise.
  static SymbolScale FitProbes(std::span<const Complex, kProbes> fit);

  std::span<const Complex, kTaps> weights() const { return weights_; }
  std::span<Complex, kTaps> weights() { return weights_; }
  Complex PhaseAccumulator() const { return phase_; }
  int UpdateCounter() const { return updates_; }
  const UdRlsCore& core() const { return core_; }

 private:
  static Complex Output(const std::array<Complex, kTaps>& w, const Complex* sample);
  void Adapt(const Complex* sample, Complex output, float target);
  void TurnWeights(float radians);
  static void TurnBack(std::array<Complex, kTaps>& w, float radians);
  float AccumulatedPhase() const;

  Tracking tracking_;
  UdRlsCore core_;
  std::array<Complex, kTaps> weights_{};
  std::array<Complex, kTaps> saved_{};
  std::array<Complex, kTaps> interpolated_{};
  std::array<Complex, 2 * kBlockSamples> samples_{};  // previous block, current block
  std::array<float, 2 * kRecordSize> symbols_{};      // previous record, current record
  Outputs outputs_{};
  ProbeFits fit_{};
  SymbolScale earlierProbes_;
  SymbolScale laterProbes_;
  Complex phase_{};
  float drift_ = 0.0f;  // radians per block
  // Training turns, and their sum after the first kSettlingTurns (the first
  // 128 symbols, while the weights still converge from zero).
  static constexpr int kSettlingTurns = 8;
  int trainingTurns_ = 0;
  float trainingDrift_ = 0.0f;
  int updates_ = 0;
};

}  // namespace talvir
