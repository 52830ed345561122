#pragma once
// Two-path Watterson model of an HF ionospheric channel: two independent
// Rayleigh-fading paths of equal mean power, each a complex Gaussian tap gain
// whose Doppler spectrum is Gaussian, the second path delayed.

#include <array>
#include <complex>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "testbench/gaussian_source.h"

namespace talvir::testbench {

enum class FadingPreset { kNone, kQuiet, kModerate, kDisturbed, kFlutter };

struct FadingProfile {
  double delaySeconds = 0.0;     // of the second path behind the first
  double dopplerSpreadHz = 0.0;  // two-sigma width of the Doppler spectrum
};

// The mid-latitude presets of ITU-R F.1487: quiet 0.5 ms / 0.1 Hz, moderate
// 1 ms / 0.5 Hz, disturbed 2 ms / 1 Hz, flutter 0.5 ms / 10 Hz.
FadingProfile ProfileOf(FadingPreset preset);
// "none", "quiet", "moderate", "disturbed", "flutter".
std::optional<FadingPreset> FadingPresetFromName(std::string_view name);
std::string_view FadingPresetName(FadingPreset preset);

// The tap gains of both paths, one pair per output sample. Each gain is
// circular complex Gaussian with E|g|^2 = 1/2, so the two paths together keep
// the mean signal power.
class WattersonTaps {
 public:
  WattersonTaps(double dopplerSpreadHz, double sampleRate, uint64_t seed);
  std::array<std::complex<double>, 2> Next();

 private:
  std::complex<double> FilteredGain(int path);
  void AdvanceGainSample();

  GaussianSource noise_;
  double step_;  // gain samples per output sample
  double phase_ = 0.0;
  std::vector<double> shaping_;  // Gaussian low-pass taps, unit energy
  std::array<std::vector<std::complex<double>>, 2> history_;
  std::size_t head_ = 0;
  std::array<std::complex<double>, 2> previous_{};
  std::array<std::complex<double>, 2> next_{};
};

}  // namespace talvir::testbench
