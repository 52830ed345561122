#pragma once
// A burst heard once more with its decoded data taken as known. Once the
// first decode has failed its frame check, nearly all of the data symbols
// it decided are still right, and the interleaver has spread the wrong ones
// thinly over the burst. With every symbol known, the channel's response
// can be followed at every symbol (least squares, forwards and backwards in
// time), each symbol's neighbours subtracted from the samples, and what is
// left of the symbol gathered over all its paths by its own response, as
// each direction estimates it. A linear equaliser pays for the
// notches of two close paths with noise; this receiver does not.

#include <array>
#include <span>

#include "modem/complex_math.h"
#include "modem/equalised_burst.h"
#include "modem/hfdl_phy.h"
#include "modem/ud_rls_core.h"

namespace talvir {

class DecidedCanceller {
 public:
  // A sample at symbol q hears symbols q - kBefore .. q - kBefore + kSpan - 1:
  // the pulse's tails and a second path up to 2 ms behind.
  static constexpr int kSpan = 12;
  static constexpr int kBefore = 6;
  static constexpr double kInflation = 0.01;  // about 100 symbols of memory either way

  // samples: the burst's stored path samples (BackwardEqualiser::Samples),
  // symbol q's own sample at 2q; symbols: its data symbols as sent, 30 a
  // data block.
  void Run(std::span<const Complex> samples, int dataBlocks, std::span<const Complex> symbols);
  // Data blocks 1 .. dataBlocks and probe groups 0 .. dataBlocks.
  const EqualisedBurst& Result() const { return result_; }

 private:
  static constexpr int kPhases = hfdl::kSamplesPerSymbol;
  // The stored blocks: the history block and up to 169 reception blocks.
  static constexpr int kMaxSymbols = hfdl::kBlockSymbols * (hfdl::kMaxDataBlocks + 2);
  using Taps = std::array<std::array<Complex, kSpan>, kPhases>;

  // The symbol at q as sent or decided; 0 past the burst's last probe.
  Complex Known(int q) const;
  Complex Sample(int n) const;
  void Regressor(int q);
  // One least-squares step at symbol q; leaves the estimate from before it
  // and what it left of the samples.
  void Track(int q);
  void Gather(int q);

  std::span<const Complex> samples_;
  std::span<const Complex> symbols_;
  int lastProbe_ = 0;
  UdRlsCore core_;
  Taps weights_{};
  Taps before_{};
  std::array<Complex, kPhases> residual_{};
  std::array<Complex, kSpan> x_{};
  std::array<Complex, kMaxSymbols> gathered_{};
  std::array<float, kMaxSymbols> energy_{};
  EqualisedBurst result_;
};

}  // namespace talvir
