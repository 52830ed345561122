#include "testbench/white_noise.h"

#include <cmath>
#include <stdexcept>

#include "common/decoder_links.h"
#include "testbench/gaussian_source.h"

namespace talvir::testbench {

std::vector<float> WhiteNoise(std::size_t count, double powerInBand, double bandwidthHz, uint64_t seed) {
  if (!(bandwidthHz > 0.0) || bandwidthHz > kSampleRate / 2.0)
    throw std::invalid_argument("the noise band must lie between 0 Hz and the Nyquist frequency");
  // White noise of variance s^2 has s^2 * 2B / fs in a band of B hertz.
  const double sigma = std::sqrt(powerInBand * kSampleRate / (2.0 * bandwidthHz));
  GaussianSource source(seed);
  std::vector<float> noise(count);
  for (auto& v : noise) v = static_cast<float>(sigma * source.Next());
  return noise;
}

}  // namespace talvir::testbench
