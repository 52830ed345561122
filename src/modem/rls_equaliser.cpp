#include "modem/rls_equaliser.h"

#include <algorithm>
#include <cmath>

namespace talvir {

void RlsEqualiser::Configure() {
  samples_.fill({});
  symbols_.fill(0.0f);
  earlierProbes_ = laterProbes_ = {};
}

void RlsEqualiser::Reset() {
  core_.Reset(kTaps, tracking_.inflation);
  weights_.fill({});
  phase_ = {};
  drift_ = 0.0f;
  trainingTurns_ = 0;
  trainingDrift_ = 0.0f;
}

Complex RlsEqualiser::Output(const std::array<Complex, kTaps>& w, const Complex* sample) {
  const Complex* x = sample - kCentreTap;
  float re = 0.0f;
  float im = 0.0f;
  for (int k = 0; k < kTaps; ++k) {
    const Complex a = w[static_cast<std::size_t>(k)];
    const Complex b = x[k];
    re += a.real() * b.real() - a.imag() * b.imag();
    im += a.real() * b.imag() + a.imag() * b.real();
  }
  return {re, im};
}

void RlsEqualiser::Adapt(const Complex* sample, Complex output, float target) {
  core_.UpdateGain(std::span<const Complex>(sample - kCentreTap, kTaps));
  core_.UpdateWeights(weights_, kTargetScale * target - output);
}

Complex RlsEqualiser::TrainStep(const Complex* sample, float target) {
  const Complex y = Output(weights_, sample);
  ++updates_;
  phase_ += y * target;  // y * conj(t) for a real target
  Adapt(sample, y, target);
  if (updates_ > kProbes) RotateWeights();
  return y * target;
}

float RlsEqualiser::AccumulatedPhase() const { return phase_ != Complex{} ? std::arg(phase_) : 0.0f; }

void RlsEqualiser::RotateWeights() {
  const float phase = AccumulatedPhase();
  if (++trainingTurns_ > kSettlingTurns) trainingDrift_ += phase;
  TurnWeights(phase);
}

void RlsEqualiser::TurnWeights(float radians) {
  TurnBack(weights_, radians);
  phase_ = {};
  updates_ = 0;
}

void RlsEqualiser::TurnBack(std::array<Complex, kTaps>& w, float radians) {
  if (radians == 0.0f) return;
  const Complex u{std::cos(radians), std::sin(radians)};
  for (auto& v : w) v = MulConj(v, u);
}

void RlsEqualiser::Preload(std::span<const Complex, kBlockSamples> samples) {
  std::copy(samples.begin(), samples.end(), samples_.begin() + kBlockSamples);
}

const RlsEqualiser::Outputs& RlsEqualiser::ProcessBlock(std::span<const Complex, kBlockSamples> samples,
                                                        Record record) {
  std::copy(samples_.begin() + kBlockSamples, samples_.end(), samples_.begin());
  std::copy(samples.begin(), samples.end(), samples_.begin() + kBlockSamples);
  std::copy(symbols_.begin() + kRecordSize, symbols_.end(), symbols_.begin());
  std::copy(record.begin(), record.end(), symbols_.begin() + kRecordSize);
  const float* previous = symbols_.data();
  const float* current = symbols_.data() + kRecordSize;
  // The weights as they stood at the previous probes, before the drift
  // aimed them at these.
  saved_ = weights_;
  TurnBack(saved_, -drift_);
  // The first block after training starts the drift from the turns the
  // settled training made, one every kProbes + 1 symbols.
  if (trainingTurns_ > kSettlingTurns && tracking_.driftGain > 0.0f)
    drift_ = trainingDrift_ / static_cast<float>(trainingTurns_ - kSettlingTurns) * static_cast<float>(kRecordSize) /
             static_cast<float>(kProbes + 1);
  trainingTurns_ = 0;
  trainingDrift_ = 0.0f;

  // Probes of the current block: symbol i's own sample is at 2 (45 + i).
  for (int i = 0; i < kProbes; ++i) {
    const Complex* sample = &samples_[static_cast<std::size_t>(hfdl::kSamplesPerSymbol * (kRecordSize + i))];
    const Complex y = Output(weights_, sample);
    phase_ += y * previous[i];
    fit_[static_cast<std::size_t>(i)] = y * current[i];
    Adapt(sample, y, current[i]);
  }
  // Turned onto these probes for the data before them, then ahead by the
  // drift for the next probes.
  const float phase = AccumulatedPhase();
  drift_ += tracking_.driftGain * phase;
  TurnWeights(tracking_.phaseGain * phase);
  earlierProbes_ = laterProbes_;
  laterProbes_ = FitProbes(fit_);

  // Data of the previous block, between the weights before and after the
  // probes that follow it.
  for (int j = 0; j < kData; ++j) {
    const float newShare = static_cast<float>(j) / static_cast<float>(kData);
    const float oldShare = static_cast<float>(kData - j) / static_cast<float>(kData);
    for (int k = 0; k < kTaps; ++k)
      interpolated_[static_cast<std::size_t>(k)] =
          newShare * weights_[static_cast<std::size_t>(k)] + oldShare * saved_[static_cast<std::size_t>(k)];
    const Complex* sample = &samples_[static_cast<std::size_t>(hfdl::kSamplesPerSymbol * (kProbes + j))];
    outputs_[static_cast<std::size_t>(j)] = Output(interpolated_, sample) * previous[kProbes + j];
  }
  TurnBack(weights_, drift_);
  return outputs_;
}

SymbolScale RlsEqualiser::FitProbes(std::span<const Complex, kProbes> fit) {
  Complex mean{};
  for (const Complex v : fit) mean += v;
  mean /= static_cast<float>(kProbes);
  float spread = 0.0f;
  for (const Complex v : fit) spread += Norm(v - mean);
  return {std::abs(mean), spread / static_cast<float>(kProbes - 1)};
}

SymbolScale RlsEqualiser::DataScale() const {
  return {0.5f * (earlierProbes_.amplitude + laterProbes_.amplitude),
          0.5f * (earlierProbes_.noiseVariance + laterProbes_.noiseVariance)};
}

}  // namespace talvir
