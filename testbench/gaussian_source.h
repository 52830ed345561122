#pragma once
// Reproducible Gaussian noise: the same seed gives the same numbers on every
// machine and standard library (the standard distributions do not promise
// that), which keeps generated recordings byte-identical.

#include <complex>
#include <cstdint>

namespace talvir::testbench {

class GaussianSource {
 public:
  explicit GaussianSource(uint64_t seed);

  double Uniform();  // in (0, 1)
  double Next();     // zero mean, unit variance
  // Circular complex Gaussian with E|z|^2 = 1.
  std::complex<double> NextComplex();

 private:
  uint64_t NextBits();

  uint64_t state_[4];
  bool haveSpare_ = false;
  double spare_ = 0.0;
};

// Derives independent seeds for the streams of one scenario from its seed.
uint64_t MixSeed(uint64_t seed, uint64_t stream);

}  // namespace talvir::testbench
