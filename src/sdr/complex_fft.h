#pragma once
// One complex FFT of a fixed size on buffers of its own (FFTW, single
// precision). Plans are made without measuring, so every run computes the
// same bits; execution needs no lock, making a plan takes a process-wide one.

#include <complex>
#include <cstddef>
#include <span>

struct fftwf_plan_s;

namespace talvir {

class ComplexFft {
 public:
  enum class Direction { kForward, kInverse };

  ComplexFft(std::size_t size, Direction direction);
  ~ComplexFft();
  ComplexFft(const ComplexFft&) = delete;
  ComplexFft& operator=(const ComplexFft&) = delete;

  // Unscaled: a forward and an inverse transform multiply by the size.
  std::span<std::complex<float>> In() { return {in_, size_}; }
  std::span<const std::complex<float>> Out() const { return {out_, size_}; }
  void Execute();

 private:
  std::size_t size_;
  std::complex<float>* in_;
  std::complex<float>* out_;
  fftwf_plan_s* plan_;
};

}  // namespace talvir
