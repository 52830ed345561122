#include "modem/baseband_front_end.h"

#include <numbers>

#include "modem/kaiser_window.h"

namespace talvir {
namespace {

static_assert(hfdl::kMixRate == 5 * hfdl::kCarrierHz, "the carrier table holds five samples");

// Kaiser window shape: the first sidelobes 60 dB down.
constexpr double kKaiserBeta = 6.0;

}  // namespace

bool BasebandFrontEnd::SetInputRate(double samplesPerSecond) {
  if (!(samplesPerSecond >= kMinRate && samplesPerSecond <= kMaxRate)) return false;
  inputRate_ = samplesPerSecond;
  step_ = samplesPerSecond / hfdl::kMixRate;
  DesignTaps();
  return true;
}

void BasebandFrontEnd::DesignTaps() {
  // Cut off at the output's Nyquist rate, 3600 Hz, as a share of the input.
  const double cutoff = 0.5 * hfdl::kMixRate / inputRate_;
  const double half = kTaps / 2.0;
  for (int p = 0; p <= kPhases; ++p) {
    const double mu = static_cast<double>(p) / kPhases;
    auto& row = taps_[static_cast<std::size_t>(p)];
    double sum = 0.0;
    std::array<double, kTaps> h{};
    for (int j = 0; j < kTaps; ++j) {
      // Tap j meets the sample this far before the output.
      const double u = half - 1.0 + mu - j;
      const double x = 2.0 * cutoff * u;
      const double sinc = x == 0.0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
      h[static_cast<std::size_t>(j)] = sinc * KaiserWindow(u / half, kKaiserBeta);
      sum += h[static_cast<std::size_t>(j)];
    }
    for (int j = 0; j < kTaps; ++j) row[static_cast<std::size_t>(j)] = static_cast<float>(h[static_cast<std::size_t>(j)] / sum);
  }
}

float BasebandFrontEnd::Interpolate(double mu) {
  const auto& row = taps_[static_cast<std::size_t>(std::lround(mu * kPhases))];
  // The oldest of the newest kTaps samples first.
  const Complex* x = &history_[static_cast<std::size_t>(newest_ + 1)];
  Complex y{};
  for (int j = 0; j < kTaps; ++j) y += row[static_cast<std::size_t>(j)] * x[j];
  static constexpr std::array<Complex, kCarrierPeriod> kCarrier = [] {
    std::array<Complex, kCarrierPeriod> c{};
    // e^(j 2 pi k / 5), written out: constexpr has no sin or cos.
    c[0] = {1.0f, 0.0f};
    c[1] = {0.30901699f, 0.95105652f};
    c[2] = {-0.80901699f, 0.58778525f};
    c[3] = {-0.80901699f, -0.58778525f};
    c[4] = {0.30901699f, -0.95105652f};
    return c;
  }();
  const Complex carrier = kCarrier[static_cast<std::size_t>(carrierStep_)];
  carrierStep_ = (carrierStep_ + 1) % kCarrierPeriod;
  return y.real() * carrier.real() - y.imag() * carrier.imag();
}

}  // namespace talvir
