#include "modem/ud_rls_core.h"

#include <algorithm>

namespace talvir {

void UdRlsCore::Reset(int taps, double inflation) {
  n_ = std::clamp(taps, 1, kMaxTaps);
  for (auto& c : uRe_) c.fill(0.0);
  for (auto& c : uIm_) c.fill(0.0);
  d_.fill(1.0);
  r_ = 0.0;
  inflation_ = inflation;
}

// Many equaliser steps per block: built for AVX2 where the CPU has it. Not
// under ThreadSanitizer, whose runtime is not up yet when the loader picks
// the version.
#if defined(__SANITIZE_THREAD__)
#define TALVIR_AVX2_CLONES
#else
#define TALVIR_AVX2_CLONES __attribute__((target_clones("avx2", "default")))
#endif
TALVIR_AVX2_CLONES void UdRlsCore::UpdateGain(std::span<const Complex> x) {
  const int n = n_;
  const double gamma = inflation_;
  const double grow = 1.0 + inflation_;

  // h = conj(x); f = U^T h (with the stored U), g = D f.
  Column hRe{}, hIm{};
  for (int i = 0; i < n; ++i) {
    hRe[At(i)] = static_cast<double>(x[At(i)].real());
    hIm[At(i)] = -static_cast<double>(x[At(i)].imag());
  }
  for (int i = 0; i < n; ++i) {
    const Column& ur = uRe_[At(i)];
    const Column& ui = uIm_[At(i)];
    double re = hRe[At(i)];
    double im = hIm[At(i)];
    for (int j = 0; j < i; ++j) {
      re += hRe[At(j)] * ur[At(j)] - hIm[At(j)] * ui[At(j)];
      im += hRe[At(j)] * ui[At(j)] + hIm[At(j)] * ur[At(j)];
    }
    fRe_[At(i)] = re;
    fIm_[At(i)] = im;
    gRe_[At(i)] = d_[At(i)] * re;
    gIm_[At(i)] = d_[At(i)] * im;
  }
  alpha_[0] = kMeasurementVariance;
  for (int i = 0; i < n; ++i)
    alpha_[At(i + 1)] = alpha_[At(i)] + d_[At(i)] * (fRe_[At(i)] * fRe_[At(i)] + fIm_[At(i)] * fIm_[At(i)]);

  const double c = gamma * alpha_[At(n)];
  double r = 1.0 / (c + alpha_[1]);
  d_[0] *= grow * (c + kMeasurementVariance) * r;
  for (int i = 1; i < n; ++i) {
    const auto si = At(i);
    const double pRe = -fRe_[si] * r;
    const double pIm = -fIm_[si] * r;
    r = 1.0 / (c + alpha_[si + 1]);
    d_[si] *= grow * (c + alpha_[si]) * r;
    const double giRe = gRe_[si];
    const double giIm = gIm_[si];
    Column& ur = uRe_[si];
    Column& ui = uIm_[si];
    // g_l += conj(U_li) g_i and U_li += p_i conj(g_l), both from the old values.
    for (int l = 0; l < i; ++l) {
      const auto sl = At(l);
      const double uRe = ur[sl], uIm = ui[sl];
      const double glRe = gRe_[sl], glIm = gIm_[sl];
      gRe_[sl] = glRe + uRe * giRe + uIm * giIm;
      gIm_[sl] = glIm + uRe * giIm - uIm * giRe;
      ur[sl] = uRe + pRe * glRe + pIm * glIm;
      ui[sl] = uIm + pIm * glRe - pRe * glIm;
    }
  }
  r_ = r;  // = 1 / ((1 + gamma) alpha_n)
}

void UdRlsCore::UpdateWeights(std::span<Complex> w, Complex error) const {
  const double eRe = static_cast<double>(error.real()) * r_;
  const double eIm = static_cast<double>(error.imag()) * r_;
  for (int i = 0; i < n_; ++i) {
    const double sRe = eRe * gRe_[At(i)] - eIm * gIm_[At(i)];
    const double sIm = eRe * gIm_[At(i)] + eIm * gRe_[At(i)];
    w[At(i)] += Complex(static_cast<float>(sRe), static_cast<float>(sIm));
  }
}

}  // namespace talvir
