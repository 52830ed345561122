#pragma once
// A fractionally spaced linear equaliser of 32 taps (two samples per symbol),
// adapted by UD-RLS on known symbols only: symbol by symbol through the
// preamble, then on the 15 probe symbols of every 45-symbol block. The 30
// data symbols between two probe groups are equalised with weights
// interpolated between the weights before and after the later group, so a
// block's data come out one block late. Outputs are scaled to 0.1.

#include <array>
#include <span>

#include "modem/complex_math.h"
#include "modem/hfdl_phy.h"
#include "modem/symbol_scale.h"
#include "modem/ud_rls_core.h"

namespace talvir {

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

  // gamma: how fast the RLS forgets (UdRlsCore::kInflation as built).
  explicit RlsEqualiser(double inflation = UdRlsCore::kInflation) : inflation_(inflation) {}

  // Zeroes the sample and symbol histories (the first reception block then
  // applies no phase correction and its outputs are discarded).
  void Configure();
  // U = I, D = 1, the equaliser's gamma, weights and phase accumulator 0;
  // the update counter stays.
  void Reset();

  // One adaptation on a known symbol whose own sample is *sample; the 16
  // samples before and 15 after it must be readable. Returns y * target.
  Complex TrainStep(const Complex* sample, float target);
  // One reception block: 90 new samples and their record. Returns the 30
  // descrambled outputs of the previous block.
  const Outputs& ProcessBlock(std::span<const Complex, kBlockSamples> samples, Record record);
  void RotateWeights();
  // The scale of the outputs ProcessBlock last returned, from the probe
  // groups before and after them.
  SymbolScale DataScale() const;

  std::span<const Complex, kTaps> weights() const { return weights_; }
  std::span<Complex, kTaps> weights() { return weights_; }
  Complex PhaseAccumulator() const { return phase_; }
  int UpdateCounter() const { return updates_; }
  const UdRlsCore& core() const { return core_; }

 private:
  static Complex Output(const std::array<Complex, kTaps>& w, const Complex* sample);
  void Adapt(const Complex* sample, Complex output, float target);

  double inflation_;
  UdRlsCore core_;
  std::array<Complex, kTaps> weights_{};
  std::array<Complex, kTaps> saved_{};
  std::array<Complex, kTaps> interpolated_{};
  std::array<Complex, 2 * kBlockSamples> samples_{};  // previous block, current block
  std::array<float, 2 * kRecordSize> symbols_{};      // previous record, current record
  Outputs outputs_{};
  // From the probe outputs before adaptation, as y * target: their mean is
  // the point's amplitude, their spread the noise.
  static SymbolScale FitProbes(std::span<const Complex, kProbes> fit);
  SymbolScale earlierProbes_;
  SymbolScale laterProbes_;
  Complex phase_{};
  int updates_ = 0;
};

}  // namespace talvir
