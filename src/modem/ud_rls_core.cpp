#include "modem/ud_rls_core.h"

#include <algorithm>

namespace talvir {

namespace {
ComplexD ToDouble(Complex v) { return {static_cast<double>(v.real()), static_cast<double>(v.imag())}; }
}  // namespace

void UdRlsCore::Reset(int taps) {
  n_ = std::clamp(taps, 1, kMaxTaps);
  u_.fill({});
  d_.fill(1.0);
  r_ = 0.0;
}

void UdRlsCore::UpdateGain(std::span<const Complex> x) {
  const int n = n_;
  constexpr double gamma = kInflation;
  constexpr double grow = 1.0 + kInflation;

  for (int i = 0; i < n; ++i) {
    ComplexD f = std::conj(ToDouble(x[static_cast<std::size_t>(i)]));
    for (int j = 0; j < i; ++j) f += Mul(std::conj(ToDouble(x[static_cast<std::size_t>(j)])), u_[Index(j, i)]);
    f_[static_cast<std::size_t>(i)] = f;
    g_[static_cast<std::size_t>(i)] = d_[static_cast<std::size_t>(i)] * f;
  }
  alpha_[0] = kMeasurementVariance;
  for (int i = 0; i < n; ++i)
    alpha_[static_cast<std::size_t>(i + 1)] =
        alpha_[static_cast<std::size_t>(i)] + d_[static_cast<std::size_t>(i)] * Norm(f_[static_cast<std::size_t>(i)]);

  const double c = gamma * alpha_[static_cast<std::size_t>(n)];
  double r = 1.0 / (c + alpha_[1]);
  d_[0] *= grow * (c + kMeasurementVariance) * r;
  for (int i = 1; i < n; ++i) {
    const auto si = static_cast<std::size_t>(i);
    const ComplexD p = -f_[si] * r;
    r = 1.0 / (c + alpha_[si + 1]);
    d_[si] *= grow * (c + alpha_[si]) * r;
    const ComplexD gi = g_[si];
    for (int l = 0; l < i; ++l) {
      const auto sl = static_cast<std::size_t>(l);
      ComplexD& u = u_[Index(l, i)];
      const ComplexD gl = g_[sl];
      g_[sl] = gl + Mul(std::conj(u), gi);
      u += Mul(p, std::conj(gl));
    }
  }
  r_ = r;  // = 1 / ((1 + gamma) alpha_n)
}

void UdRlsCore::UpdateWeights(std::span<Complex> w, Complex error) const {
  const ComplexD scaled = ToDouble(error) * r_;
  for (int i = 0; i < n_; ++i) {
    const ComplexD step = Mul(scaled, g_[static_cast<std::size_t>(i)]);
    w[static_cast<std::size_t>(i)] += Complex(static_cast<float>(step.real()), static_cast<float>(step.imag()));
  }
}

}  // namespace talvir
