#pragma once
// Complex samples as pairs of floats, and the few products the modem's inner
// loops need, written out so they compile to plain multiply-adds.

#include <complex>

namespace talvir {

using Complex = std::complex<float>;
using ComplexD = std::complex<double>;

template <class T>
constexpr std::complex<T> Mul(std::complex<T> a, std::complex<T> b) {
  return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}
// a * conj(b)
template <class T>
constexpr std::complex<T> MulConj(std::complex<T> a, std::complex<T> b) {
  return {a.real() * b.real() + a.imag() * b.imag(), a.imag() * b.real() - a.real() * b.imag()};
}
template <class T>
constexpr T Norm(std::complex<T> a) {
  return a.real() * a.real() + a.imag() * a.imag();
}

}  // namespace talvir
