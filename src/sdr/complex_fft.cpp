#include "sdr/complex_fft.h"

#include <fftw3.h>

#include <mutex>

namespace talvir {
namespace {

// FFTW's planner shares tables between plans and is not thread-safe.
std::mutex& PlannerLock() {
  static std::mutex lock;
  return lock;
}

std::complex<float>* Allocate(std::size_t size) {
  return reinterpret_cast<std::complex<float>*>(fftwf_alloc_complex(size));
}

}  // namespace

ComplexFft::ComplexFft(std::size_t size, Direction direction)
    : size_(size), in_(Allocate(size)), out_(Allocate(size)) {
  for (std::size_t k = 0; k < size; ++k) in_[k] = out_[k] = {};
  const std::lock_guard<std::mutex> hold(PlannerLock());
  plan_ = fftwf_plan_dft_1d(static_cast<int>(size), reinterpret_cast<fftwf_complex*>(in_),
                            reinterpret_cast<fftwf_complex*>(out_),
                            direction == Direction::kForward ? FFTW_FORWARD : FFTW_BACKWARD,
                            FFTW_ESTIMATE | FFTW_PRESERVE_INPUT);
}

ComplexFft::~ComplexFft() {
  {
    const std::lock_guard<std::mutex> hold(PlannerLock());
    fftwf_destroy_plan(plan_);
  }
  fftwf_free(in_);
  fftwf_free(out_);
}

void ComplexFft::Execute() { fftwf_execute(plan_); }

}  // namespace talvir
