// The UD-RLS core against the covariance it stands for, and the equaliser's
// rotation and interpolation timing, its backward run, the blend of the two
// directions and the scale the soft bits of a block take: the probes'
// amplitude and noise averaged over the blocks around it, the window cut at
// the burst's ends.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "modem/backward_equaliser.h"
#include "modem/direction_blend.h"
#include "modem/hfdl_phy.h"
#include "modem/known_symbols.h"
#include "modem/rls_equaliser.h"
#include "modem/symbol_scale.h"
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
TEST(UdRlsCore, TracksTheForgettingRlsCovarianceAndGainAndAZeroRegressorOnlyInflatesD) {
  for (const double gamma : {RlsEqualiser::kFollowing.inflation, RlsEqualiser::kSteady.inflation}) {
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
    // A zero regressor only inflates D and leaves the weights.
    const UdRlsCore before = core;
    std::array<Complex, kN> w = {Complex{1, 2}, Complex{3, 4}, Complex{5, 6}, Complex{7, 8}};
    const auto wBefore = w;
    core.UpdateGain(std::array<Complex, kN>{});
    core.UpdateWeights(w, Complex{1.0f, 1.0f});
    EXPECT_EQ(w, wBefore);
    for (int i = 0; i < kN; ++i) {
      EXPECT_DOUBLE_EQ(core.D(i), before.D(i) * grow);
      EXPECT_EQ(core.Gain(i), ComplexD{});
      for (int j = i + 1; j < kN; ++j) EXPECT_EQ(core.U(i, j), before.U(i, j));
    }
  }
}

// Known symbols through a channel turning by `hertz`, with an echo one
// symbol late, plus complex noise of variance v per sample; BPSK data
// between the probes.
struct ProbeChannel {
  std::vector<float> sent;
  std::vector<Complex> received;
  static constexpr int kPreamble = 254;
  int Blocks() const { return (static_cast<int>(sent.size()) - kPreamble) / RlsEqualiser::kRecordSize; }
};

ProbeChannel MakeProbeChannel(int blocks, float variance, double hertz, uint32_t seed, Complex echo = {}) {
  std::mt19937 random(seed);
  std::normal_distribution<float> gauss(0.0f, std::sqrt(variance / 2.0f));
  std::uniform_int_distribution<int> bit(0, 1);
  ProbeChannel c;
  const int symbols = ProbeChannel::kPreamble + blocks * RlsEqualiser::kRecordSize;
  c.sent.resize(static_cast<std::size_t>(symbols));
  for (int k = 0; k < symbols; ++k) {
    const int inBlock = (k - ProbeChannel::kPreamble) % RlsEqualiser::kRecordSize;
    c.sent[static_cast<std::size_t>(k)] = k >= ProbeChannel::kPreamble && inBlock < RlsEqualiser::kProbes
                                              ? hfdl::BpskSign(hfdl::ProbeBit(inBlock))
                                              : hfdl::BpskSign(bit(random));
  }
  c.received.resize(static_cast<std::size_t>(2 * symbols + 32));
  for (auto& v : c.received) v = {gauss(random), gauss(random)};
  const double turn = 2.0 * 3.141592653589793 * hertz / hfdl::kSymbolRate;
  for (int k = 0; k < symbols; ++k) {
    const float previous = k > 0 ? c.sent[static_cast<std::size_t>(k - 1)] : 0.0f;
    c.received[static_cast<std::size_t>(16 + 2 * k)] +=
        (c.sent[static_cast<std::size_t>(k)] + echo * previous) * std::polar(1.0f, static_cast<float>(turn * k));
  }
  return c;
}

// Trains on the preamble, then hands every block to `onBlock(equaliser,
// outputs, block)`; outputs are the previous block's data.
template <class OnBlock>
void Receive(const ProbeChannel& c, RlsEqualiser::Tracking tracking, OnBlock&& onBlock) {
  RlsEqualiser eq(tracking);
  eq.Configure();
  eq.Reset();
  for (int k = 0; k < ProbeChannel::kPreamble; ++k)
    eq.TrainStep(&c.received[static_cast<std::size_t>(16 + 2 * k)], c.sent[static_cast<std::size_t>(k)]);
  // Training turns the weights back after every sixteenth step, clearing the
  // phase gathered; reception once per block, and its first outputs are the
  // zeroed history's.
  EXPECT_EQ(eq.UpdateCounter(), ProbeChannel::kPreamble % 16);
  EXPECT_NE(eq.PhaseAccumulator(), Complex{});
  for (int b = 0; b < c.Blocks(); ++b) {
    const int first = ProbeChannel::kPreamble + b * RlsEqualiser::kRecordSize;
    std::array<float, RlsEqualiser::kRecordSize> record{};
    std::copy_n(c.sent.begin() + first, RlsEqualiser::kRecordSize, record.begin());
    const auto& outputs = eq.ProcessBlock(
        std::span<const Complex, 90>(&c.received[static_cast<std::size_t>(16 + 2 * first)], 90), record);
    EXPECT_EQ(eq.UpdateCounter(), 0);
    if (b == 0) {
      EXPECT_EQ(outputs, RlsEqualiser::Outputs{});
    }
    onBlock(eq, outputs, b);
  }
}

// The noise the probes measure relative to the amplitude they find, averaged
// over the blocks after the first two.
double MeasuredNoise(RlsEqualiser::Tracking tracking, float variance) {
  const ProbeChannel c = MakeProbeChannel(30, variance, 0.0, 5);
  double noise = 0.0;
  Receive(c, tracking, [&](const RlsEqualiser& eq, const RlsEqualiser::Outputs&, int b) {
    const SymbolScale scale = eq.DataScale();
    if (b < 2) return;
    EXPECT_NEAR(scale.amplitude, 0.1f, 0.02f) << b;
    noise += static_cast<double>(scale.noiseVariance / (scale.amplitude * scale.amplitude));
  });
  return noise / (c.Blocks() - 2);
}

// The probes show the amplitude the equaliser aims for and a noise near v (a
// little more: the adaptation's own error, which the longer memory lowers).
TEST(RlsEqualiser, ProbesMeasureTheOutputsAmplitudeAndNoise) {
  for (const float variance : {0.1f, 0.01f}) {
    const double asBuilt = MeasuredNoise(RlsEqualiser::kFollowing, variance);
    EXPECT_GT(asBuilt, 0.8 * static_cast<double>(variance)) << variance;
    EXPECT_LT(asBuilt, 1.6 * static_cast<double>(variance)) << variance;
    EXPECT_LT(MeasuredNoise(RlsEqualiser::kSteady, variance), asBuilt) << variance;
  }
}

// RMS phase, in radians, of the data outputs' block means (the data are
// descrambled, so each should lie on the positive real axis), over blocks
// from the 40th on (1 s: the steady loop's drift takes that long to settle).
double DataPhaseError(RlsEqualiser::Tracking tracking, float variance, double hertz) {
  const ProbeChannel c = MakeProbeChannel(100, variance, hertz, 9);
  double sum = 0.0;
  int blocks = 0;
  Receive(c, tracking, [&](const RlsEqualiser&, const RlsEqualiser::Outputs& outputs, int b) {
    if (b < 40) return;
    Complex mean{};
    for (const Complex z : outputs) mean += z;
    sum += static_cast<double>(std::norm(std::arg(mean)));
    ++blocks;
  });
  return std::sqrt(sum / blocks);
}

// Both loops follow a carrier left 1 Hz off by the acquisition (9 degrees a
// block); in noise the steady one holds the data's phase closer.
TEST(RlsEqualiser, PhaseLoopsFollowAResidualOffsetAndTheSteadyOneJittersLess) {
  constexpr double kDegree = 3.141592653589793 / 180.0;
  for (const auto tracking : {RlsEqualiser::kFollowing, RlsEqualiser::kSteady})
    for (const double hertz : {1.0, -1.0}) EXPECT_LT(DataPhaseError(tracking, 0.01f, hertz), 3.0 * kDegree) << hertz;
  EXPECT_LT(DataPhaseError(RlsEqualiser::kSteady, 0.3f, 0.5), DataPhaseError(RlsEqualiser::kFollowing, 0.3f, 0.5));
}

// Run backwards from the forward equaliser's last weights over a burst with
// an echo and a turning carrier, every data block comes out in time order,
// descrambled: 0.1 times the sent symbol times the scrambler. The last
// blocks (the first it sees) too, so the weights were mirrored right.
TEST(BackwardEqualiser, SeesEveryDataBlockInTimeOrderFromTheForwardWeights) {
  const ProbeChannel c = MakeProbeChannel(20, 0.001f, 0.5, 11, Complex{0.0f, 0.5f});
  BackwardEqualiser backward;
  const auto at = [&](int symbol) {
    return std::span<const Complex, 90>(&c.received[static_cast<std::size_t>(16 + 2 * symbol)], 90);
  };
  backward.Begin(at(ProbeChannel::kPreamble - RlsEqualiser::kRecordSize));
  std::array<Complex, RlsEqualiser::kTaps> last{};
  Receive(c, RlsEqualiser::kFollowing, [&](const RlsEqualiser& eq, const RlsEqualiser::Outputs&, int b) {
    backward.Store(at(ProbeChannel::kPreamble + b * RlsEqualiser::kRecordSize));
    std::copy(eq.weights().begin(), eq.weights().end(), last.begin());
  });
  // Each block's data follow its probes; the last block's are not data.
  const int dataBlocks = c.Blocks() - 1;
  backward.Run(dataBlocks, last);
  for (int k = 1; k <= dataBlocks; ++k) {
    for (int j = 0; j < RlsEqualiser::kData; ++j) {
      const float sent =
          c.sent[static_cast<std::size_t>(ProbeChannel::kPreamble + (k - 1) * RlsEqualiser::kRecordSize +
                                          RlsEqualiser::kProbes + j)] *
          known::kScrambler[static_cast<std::size_t>((RlsEqualiser::kData * (k - 1) + j) % hfdl::kScramblerLength)];
      const Complex z = backward.Result().Data(k)[static_cast<std::size_t>(j)];
      EXPECT_NEAR(z.real(), 0.1f * sent, 0.03f) << k << " " << j;
      EXPECT_NEAR(z.imag(), 0.0f, 0.03f) << k << " " << j;
    }
    EXPECT_NEAR(backward.Result().Scale(k).amplitude, 0.1f, 0.01f) << k;
    EXPECT_LT(backward.Result().Scale(k).Snr(), 1e4f) << k;
    EXPECT_GT(backward.Result().Scale(k).Snr(), 30.0f) << k;
  }
  for (int g = 0; g <= dataBlocks; ++g)
    for (const Complex z : backward.Result().Fits(g)) EXPECT_NEAR(z.real(), 0.1f, 0.03f) << g;
}

// Probe fits a(1 + n_i): amplitude a, noise a^2 var(n).
RlsEqualiser::ProbeFits Fits(float amplitude, const std::array<Complex, RlsEqualiser::kProbes>& n) {
  RlsEqualiser::ProbeFits f{};
  for (std::size_t i = 0; i < f.size(); ++i) f[i] = amplitude * (1.0f + n[i]);
  return f;
}

// Each direction counts by its SNR, over its own amplitude. Errors the two
// share (the same noise seen twice) stay in the blend's measured noise;
// errors of their own partly cancel. A silent direction takes no part.
TEST(DirectionBlend, WeighsByTheSnrAndMeasuresTheBlendOnTheProbes) {
  std::mt19937 random(4);
  std::normal_distribution<float> gauss(0.0f, 0.1f);
  std::array<std::array<Complex, RlsEqualiser::kProbes>, 4> n{};
  for (auto& group : n)
    for (auto& v : group) v = {gauss(random), gauss(random)};
  const SymbolScale forward{0.1f, 0.004f};   // SNR 2.5
  const SymbolScale backward{0.2f, 0.004f};  // SNR 10
  const std::array<RlsEqualiser::ProbeFits, 2> shared = {Fits(0.1f, n[0]), Fits(0.1f, n[1])};
  const std::array<RlsEqualiser::ProbeFits, 2> sharedBackward = {Fits(0.2f, n[0]), Fits(0.2f, n[1])};
  const DirectionBlend same = BlendDirections(forward, backward, shared, sharedBackward);
  EXPECT_NEAR(same.forward, 0.2f / 0.1f, 1e-4f);
  EXPECT_NEAR(same.backward, 0.8f / 0.2f, 1e-4f);
  const SymbolScale one = RlsEqualiser::FitProbes(Fits(1.0f, n[0]));
  EXPECT_NEAR(same.scale.amplitude, 1.0f, 0.05f);
  EXPECT_NEAR(same.scale.Snr(), one.Snr(), 0.3f * one.Snr());

  const std::array<RlsEqualiser::ProbeFits, 2> own = {Fits(0.2f, n[2]), Fits(0.2f, n[3])};
  const DirectionBlend apart = BlendDirections(forward, backward, shared, own);
  EXPECT_GT(apart.scale.Snr(), 1.2f * same.scale.Snr());

  const DirectionBlend deaf = BlendDirections(forward, {0.0f, 0.0f}, shared, own);
  EXPECT_EQ(deaf.backward, 0.0f);
  EXPECT_NEAR(deaf.forward, 10.0f, 1e-4f);
  const DirectionBlend none = BlendDirections({0.0f, 0.0f}, {0.0f, 0.0f}, shared, own);
  EXPECT_EQ(none.forward, 0.0f);
  EXPECT_EQ(none.backward, 0.0f);
  EXPECT_EQ(none.scale.Snr(), 0.0f);
}

TEST(SymbolScale, MeanOverTheBlocksAroundCutAtTheBurstsEnds) {
  // Amplitude k + 1 and noise 10 (k + 1) in block k: amplitude and noise are
  // averaged apart (their SNR would not be).
  std::array<SymbolScale, 10> scales{};
  for (std::size_t k = 0; k < scales.size(); ++k)
    scales[k] = {static_cast<float>(k + 1), 10.0f * static_cast<float>(k + 1)};

  const SymbolScale middle = MeanScale(scales, 5, 2);  // blocks 3 .. 7
  EXPECT_FLOAT_EQ(middle.amplitude, 6.0f);
  EXPECT_FLOAT_EQ(middle.noiseVariance, 60.0f);
  const SymbolScale first = MeanScale(scales, 0, 4);  // blocks 0 .. 4
  EXPECT_FLOAT_EQ(first.amplitude, 3.0f);
  const SymbolScale last = MeanScale(scales, 9, 4);  // blocks 5 .. 9
  EXPECT_FLOAT_EQ(last.amplitude, 8.0f);
  EXPECT_FLOAT_EQ(last.noiseVariance, 80.0f);
  // No span: the block alone.
  EXPECT_FLOAT_EQ(MeanScale(scales, 2, 0).amplitude, 3.0f);
  // A burst of one block, and none: nothing is read outside.
  EXPECT_FLOAT_EQ(MeanScale(std::span<const SymbolScale>(scales.data(), 1), 0, 4).amplitude, 1.0f);
  EXPECT_FLOAT_EQ(MeanScale(std::span<const SymbolScale>(), 0, 4).amplitude, 0.0f);
}

}  // namespace
}  // namespace talvir
