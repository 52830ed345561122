// The UD-RLS core against the covariance it stands for, and the equaliser's
// rotation and interpolation timing.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "modem/hfdl_phy.h"
#include "modem/rls_equaliser.h"
#include "modem/ud_rls_core.h"

namespace talvir {
namespace {

constexpr int kN = 4;
using Matrix = std::array<std::array<ComplexD, kN>, kN>;

// The stored factor is the conjugate of the U in P = U D U^H.
Matrix Covariance(const UdRlsCore& core) {
  Matrix v{};
  for (int i = 0; i < kN; ++i)
    for (int j = 0; j < kN; ++j) v[i][j] = i == j ? 1.0 : (i < j ? std::conj(core.U(i, j)) : 0.0);
  Matrix p{};
  for (int i = 0; i < kN; ++i)
    for (int j = 0; j < kN; ++j)
      for (int k = 0; k < kN; ++k) p[i][j] += v[i][k] * core.D(k) * std::conj(v[j][k]);
  return p;
}

// As built and with the longer memory of the second equaliser.
TEST(UdRlsCore, TracksTheForgettingRlsCovarianceAndGain) {
  for (const double gamma : {UdRlsCore::kInflation, UdRlsCore::kInflation / 4}) {
    UdRlsCore core;
    core.Reset(kN, gamma);
    std::mt19937 random(7);
    std::normal_distribution<float> gauss;
    const double grow = 1.0 + gamma;
    for (int update = 0; update < 12; ++update) {
      std::array<Complex, kN> x{};
      for (auto& v : x) v = {gauss(random), gauss(random)};
      const Matrix p = Covariance(core);
      // The measurement row is conj(x): y = sum w x.
      std::array<ComplexD, kN> g{};
      double alpha = UdRlsCore::kMeasurementVariance;
      for (int i = 0; i < kN; ++i)
        for (int j = 0; j < kN; ++j) g[i] += p[i][j] * std::conj(ComplexD(x[j].real(), x[j].imag()));
      for (int i = 0; i < kN; ++i) alpha += std::real(ComplexD(x[i].real(), x[i].imag()) * g[i]);

      core.UpdateGain(x);
      const double r = 1.0 / (grow * alpha);
      EXPECT_NEAR(core.Reciprocal(), r, 1e-9 * r) << update;
      for (int i = 0; i < kN; ++i) EXPECT_NEAR(std::abs(core.Gain(i) - g[i]), 0.0, 1e-9 * std::abs(g[i]) + 1e-12);

      const Matrix next = Covariance(core);
      for (int i = 0; i < kN; ++i)
        for (int j = 0; j < kN; ++j) {
          const ComplexD expected = grow * (p[i][j] - g[i] * std::conj(g[j]) * r);
          EXPECT_NEAR(std::abs(next[i][j] - expected), 0.0, 1e-9 * (1.0 + std::abs(expected))) << i << "," << j;
        }
    }
  }
}

TEST(UdRlsCore, ZeroRegressorOnlyInflatesD) {
  UdRlsCore core;
  core.Reset(kN);
  std::mt19937 random(3);
  std::normal_distribution<float> gauss;
  for (int update = 0; update < 3; ++update) {
    std::array<Complex, kN> x{};
    for (auto& v : x) v = {gauss(random), gauss(random)};
    core.UpdateGain(x);
  }
  const UdRlsCore before = core;
  std::array<Complex, kN> w = {Complex{1, 2}, Complex{3, 4}, Complex{5, 6}, Complex{7, 8}};
  const auto wBefore = w;
  core.UpdateGain(std::array<Complex, kN>{});
  core.UpdateWeights(w, Complex{1.0f, 1.0f});
  EXPECT_EQ(w, wBefore);
  for (int i = 0; i < kN; ++i) {
    EXPECT_DOUBLE_EQ(core.D(i), before.D(i) * (1.0 + UdRlsCore::kInflation));
    EXPECT_EQ(core.Gain(i), ComplexD{});
    for (int j = i + 1; j < kN; ++j) EXPECT_EQ(core.U(i, j), before.U(i, j));
  }
}

// Samples with 16 leading and 15 trailing guard samples around 200 symbols.
std::vector<Complex> NoisySymbols(int count, uint32_t seed) {
  std::mt19937 random(seed);
  std::normal_distribution<float> gauss(0.0f, 0.3f);
  std::vector<Complex> s(static_cast<std::size_t>(2 * count + 32));
  for (auto& v : s) v = {gauss(random), gauss(random)};
  return s;
}

TEST(RlsEqualiser, TrainingRotatesAfterEverySixteenthStep) {
  RlsEqualiser eq;
  eq.Configure();
  eq.Reset();
  const auto s = NoisySymbols(64, 1);
  // With zero weights the output and the phase accumulator stay zero, and a
  // rotation then leaves the weights but clears the counter.
  eq.TrainStep(&s[16], 1.0f);
  ASSERT_EQ(eq.PhaseAccumulator(), Complex{});
  eq.weights()[3] = {0.5f, -0.25f};
  eq.RotateWeights();
  EXPECT_EQ(eq.weights()[3], Complex(0.5f, -0.25f));
  EXPECT_EQ(eq.UpdateCounter(), 0);

  for (int k = 0; k < 15; ++k) eq.TrainStep(&s[static_cast<std::size_t>(16 + 2 * k)], 1.0f);
  EXPECT_EQ(eq.UpdateCounter(), 15);
  EXPECT_NE(eq.PhaseAccumulator(), Complex{});
  eq.TrainStep(&s[16 + 30], -1.0f);
  EXPECT_EQ(eq.UpdateCounter(), 0);
  EXPECT_EQ(eq.PhaseAccumulator(), Complex{});
}

// Reception: probes adapt and the weights rotate once per block; the data
// of the previous block are equalised with weights interpolated from the
// saved ones (position 0) towards the new ones (29/30 at position 29).
TEST(RlsEqualiser, BlockOutputsComeOneBlockLateWithInterpolatedWeights) {
  RlsEqualiser eq;
  eq.Configure();
  eq.Reset();
  const auto s = NoisySymbols(200, 3);
  for (int k = 0; k < 40; ++k) eq.TrainStep(&s[static_cast<std::size_t>(16 + 2 * k)], k % 3 ? 1.0f : -1.0f);

  std::array<float, RlsEqualiser::kRecordSize> record{};
  for (int i = 0; i < RlsEqualiser::kRecordSize; ++i) record[static_cast<std::size_t>(i)] = i % 4 ? 1.0f : -1.0f;
  std::array<Complex, 90> first{};
  std::array<Complex, 90> second{};
  std::copy(s.begin() + 100, s.begin() + 190, first.begin());
  std::copy(s.begin() + 190, s.begin() + 280, second.begin());

  const auto& zero = eq.ProcessBlock(first, record);
  for (const Complex z : zero) EXPECT_EQ(z, Complex{});  // the zeroed history
  EXPECT_EQ(eq.UpdateCounter(), 0);

  const std::array<Complex, 32> saved = [&] {
    std::array<Complex, 32> w{};
    std::copy(eq.weights().begin(), eq.weights().end(), w.begin());
    return w;
  }();
  const auto outputs = eq.ProcessBlock(second, record);
  const auto& fresh = eq.weights();
  // Data symbol j of the first block sits at first[30 + 2j], regressor from 16 before.
  auto expected = [&](int j) {
    const float a = static_cast<float>(j) / 30.0f;
    Complex y{};
    std::array<Complex, 180> history{};
    std::copy(first.begin(), first.end(), history.begin());
    std::copy(second.begin(), second.end(), history.begin() + 90);
    for (int k = 0; k < 32; ++k)
      y += (a * fresh[static_cast<std::size_t>(k)] + (1.0f - a) * saved[static_cast<std::size_t>(k)]) *
           history[static_cast<std::size_t>(30 + 2 * j - 16 + k)];
    return y * record[static_cast<std::size_t>(15 + j)];
  };
  for (int j : {0, 1, 29}) {
    EXPECT_NEAR(outputs[static_cast<std::size_t>(j)].real(), expected(j).real(), 1e-5f) << j;
    EXPECT_NEAR(outputs[static_cast<std::size_t>(j)].imag(), expected(j).imag(), 1e-5f) << j;
  }
}

// Known symbols through a clean channel plus complex noise of variance v per
// sample; returns the noise the probes measure, relative to the amplitude
// they find, averaged over the blocks after the first two.
double MeasuredNoise(double inflation, float variance) {
  std::mt19937 random(5);
  std::normal_distribution<float> gauss(0.0f, std::sqrt(variance / 2.0f));
  std::uniform_int_distribution<int> bit(0, 1);
  const int blocks = 30;
  const int symbols = 254 + blocks * RlsEqualiser::kRecordSize;
  std::vector<float> sent(static_cast<std::size_t>(symbols));
  for (int k = 0; k < symbols; ++k) {
    const int inBlock = (k - 254) % RlsEqualiser::kRecordSize;
    sent[static_cast<std::size_t>(k)] = k >= 254 && inBlock < RlsEqualiser::kProbes ? hfdl::BpskSign(hfdl::ProbeBit(inBlock))
                                                                                       : hfdl::BpskSign(bit(random));
  }
  std::vector<Complex> x(static_cast<std::size_t>(2 * symbols + 32));
  for (auto& v : x) v = {gauss(random), gauss(random)};
  for (int k = 0; k < symbols; ++k) x[static_cast<std::size_t>(16 + 2 * k)] += sent[static_cast<std::size_t>(k)];

  RlsEqualiser eq(inflation);
  eq.Configure();
  eq.Reset();
  for (int k = 0; k < 254; ++k) eq.TrainStep(&x[static_cast<std::size_t>(16 + 2 * k)], sent[static_cast<std::size_t>(k)]);
  double noise = 0.0;
  for (int b = 0; b < blocks; ++b) {
    const int first = 254 + b * RlsEqualiser::kRecordSize;
    std::array<float, RlsEqualiser::kRecordSize> record{};
    for (int i = 0; i < RlsEqualiser::kRecordSize; ++i)
      record[static_cast<std::size_t>(i)] = i < RlsEqualiser::kProbes ? sent[static_cast<std::size_t>(first + i)] : 1.0f;
    eq.ProcessBlock(std::span<const Complex, 90>(&x[static_cast<std::size_t>(16 + 2 * first)], 90), record);
    const SymbolScale scale = eq.DataScale();
    if (b < 2) continue;
    EXPECT_NEAR(scale.amplitude, 0.1f, 0.02f) << b;
    noise += static_cast<double>(scale.noiseVariance / (scale.amplitude * scale.amplitude));
  }
  return noise / (blocks - 2);
}

// The probes show the amplitude the equaliser aims for and a noise near v (a
// little more: the adaptation's own error, which the longer memory halves).
TEST(RlsEqualiser, ProbesMeasureTheOutputsAmplitudeAndNoise) {
  for (const float variance : {0.1f, 0.01f}) {
    const double asBuilt = MeasuredNoise(UdRlsCore::kInflation, variance);
    EXPECT_GT(asBuilt, 0.8 * static_cast<double>(variance)) << variance;
    EXPECT_LT(asBuilt, 1.6 * static_cast<double>(variance)) << variance;
    EXPECT_LT(MeasuredNoise(UdRlsCore::kInflation / 4, variance), asBuilt) << variance;
  }
}

}  // namespace
}  // namespace talvir
