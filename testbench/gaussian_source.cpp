#include "testbench/gaussian_source.h"

#include <cmath>
#include <numbers>

namespace talvir::testbench {
namespace {

uint64_t SplitMix64(uint64_t& x) {
  uint64_t z = (x += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

uint64_t RotateLeft(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

uint64_t MixSeed(uint64_t seed, uint64_t stream) {
  uint64_t x = seed ^ (stream * 0xD1B54A32D192ED03ull);
  return SplitMix64(x);
}

GaussianSource::GaussianSource(uint64_t seed) {
  for (auto& word : state_) word = SplitMix64(seed);
}

// xoshiro256**
uint64_t GaussianSource::NextBits() {
  const uint64_t result = RotateLeft(state_[1] * 5, 7) * 9;
  const uint64_t t = state_[1] << 17;
  state_[2] ^= state_[0];
  state_[3] ^= state_[1];
  state_[1] ^= state_[2];
  state_[0] ^= state_[3];
  state_[2] ^= t;
  state_[3] = RotateLeft(state_[3], 45);
  return result;
}

double GaussianSource::Uniform() {
  // 53 random bits, offset by half a step so 0 never comes out.
  return (static_cast<double>(NextBits() >> 11) + 0.5) * 0x1.0p-53;
}

double GaussianSource::Next() {
  if (haveSpare_) {
    haveSpare_ = false;
    return spare_;
  }
  // Box-Muller: two independent normals per pair of uniforms.
  const double radius = std::sqrt(-2.0 * std::log(Uniform()));
  const double angle = 2.0 * std::numbers::pi * Uniform();
  spare_ = radius * std::sin(angle);
  haveSpare_ = true;
  return radius * std::cos(angle);
}

std::complex<double> GaussianSource::NextComplex() {
  const double re = Next();
  const double im = Next();
  return {re * std::numbers::sqrt2 / 2.0, im * std::numbers::sqrt2 / 2.0};
}

}  // namespace talvir::testbench
