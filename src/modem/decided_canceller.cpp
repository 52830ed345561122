#include "modem/decided_canceller.h"

#include <algorithm>

#include "modem/known_symbols.h"
#include "modem/rls_equaliser.h"

namespace talvir {

namespace {

using hfdl::kDataSymbols;
using hfdl::kProbeSymbols;
constexpr int kSymbols = hfdl::kBlockSymbols;

}  // namespace

Complex DecidedCanceller::Known(int q) const {
  if (q > lastProbe_) return {};
  // The history block and probe group 0 lie in the preamble's probe copies.
  const int i = ((q % kSymbols) + kSymbols) % kSymbols;
  if (q < kSymbols || i < kProbeSymbols)
    return known::kProbeRepetition[static_cast<std::size_t>(((q % kProbeSymbols) + kProbeSymbols) % kProbeSymbols)];
  const auto index = static_cast<std::size_t>(kDataSymbols * (q / kSymbols - 1) + i - kProbeSymbols);
  return index < symbols_.size() ? symbols_[index] : Complex{};
}

Complex DecidedCanceller::Sample(int n) const {
  return n >= 0 && n < static_cast<int>(samples_.size()) ? samples_[static_cast<std::size_t>(n)] : Complex{};
}

void DecidedCanceller::Regressor(int q) {
  for (int k = 0; k < kSpan; ++k) x_[static_cast<std::size_t>(k)] = Known(q - kBefore + k);
}

void DecidedCanceller::Track(int q) {
  Regressor(q);
  before_ = weights_;
  core_.UpdateGain(x_);
  for (int p = 0; p < kPhases; ++p) {
    auto& w = weights_[static_cast<std::size_t>(p)];
    Complex y{};
    for (int k = 0; k < kSpan; ++k) y += Mul(w[static_cast<std::size_t>(k)], x_[static_cast<std::size_t>(k)]);
    residual_[static_cast<std::size_t>(p)] = Sample(hfdl::kSamplesPerSymbol * q + p) - y;
    core_.UpdateWeights(w, residual_[static_cast<std::size_t>(p)]);
  }
}

// The samples at symbol q, less every symbol they hear, give back to each
// of those symbols its own share, weighed by its response.
void DecidedCanceller::Gather(int q) {
  for (int p = 0; p < kPhases; ++p) {
    const auto& w = before_[static_cast<std::size_t>(p)];
    const Complex residual = residual_[static_cast<std::size_t>(p)];
    for (int k = 0; k < kSpan; ++k) {
      const int m = q - kBefore + k;
      if (m < 0 || m >= kMaxSymbols) continue;
      const Complex c = w[static_cast<std::size_t>(k)];
      gathered_[static_cast<std::size_t>(m)] += MulConj(residual + Mul(c, x_[static_cast<std::size_t>(k)]), c);
      energy_[static_cast<std::size_t>(m)] += Norm(c);
    }
  }
}

void DecidedCanceller::Run(std::span<const Complex> samples, int dataBlocks, std::span<const Complex> symbols) {
  const int n = std::clamp(std::min(dataBlocks, static_cast<int>(symbols.size()) / kDataSymbols), 0,
                           EqualisedBurst::kMaxDataBlocks);
  samples_ = samples;
  symbols_ = symbols;
  lastProbe_ = kSymbols * (n + 1) + kProbeSymbols - 1;
  // The samples hear the last symbols up to kSpan - kBefore symbols on.
  const int last = std::min(lastProbe_ + kSpan - kBefore, kMaxSymbols - 1);
  // Each direction's estimate lags the channel its own way; their shares
  // add, so the lags cancel.
  std::fill(gathered_.begin(), gathered_.begin() + last + 1, Complex{});
  std::fill(energy_.begin(), energy_.begin() + last + 1, 0.0f);
  core_.Reset(kSpan, kInflation);
  for (auto& w : weights_) w.fill({});
  for (int q = 0; q <= last; ++q) {
    Track(q);
    Gather(q);
  }
  core_.Reset(kSpan, kInflation);
  for (auto& w : weights_) w.fill({});
  for (int q = last; q >= 0; --q) {
    Track(q);
    Gather(q);
  }

  // Outputs on the equalisers' scale, descrambled.
  const auto output = [&](int m) {
    const float e = energy_[static_cast<std::size_t>(m)];
    return e > 0.0f ? RlsEqualiser::kTargetScale * gathered_[static_cast<std::size_t>(m)] / e : Complex{};
  };
  for (int g = 0; g <= n; ++g)
    for (int i = 0; i < kProbeSymbols; ++i) {
      const int m = kSymbols * (g + 1) + i;
      result_.Fits(g)[static_cast<std::size_t>(i)] = output(m) * known::kProbeRepetition[static_cast<std::size_t>(i)];
    }
  for (int k = 1; k <= n; ++k) {
    for (int j = 0; j < kDataSymbols; ++j) {
      const int index = kDataSymbols * (k - 1) + j;
      result_.Data(k)[static_cast<std::size_t>(j)] =
          output(kSymbols * k + kProbeSymbols + j) *
          known::kScrambler[static_cast<std::size_t>(index % hfdl::kScramblerLength)];
    }
    const SymbolScale before = RlsEqualiser::FitProbes(result_.Fits(k - 1));
    const SymbolScale after = RlsEqualiser::FitProbes(result_.Fits(k));
    result_.SetScale(
        k, {0.5f * (before.amplitude + after.amplitude), 0.5f * (before.noiseVariance + after.noiseVariance)});
  }
}

}  // namespace talvir
