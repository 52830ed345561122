// The transmitters' level, timing and phase, which every SNR and slot the
// bench sets rests on, what they refuse, and the WAV files every later test
// and the demo are written to. Their symbols and bits are pinned by the
// receivers, which decode both the on-air recordings and the bench's bursts
// of every rate and its messages. The channel must add exactly the noise
// asked for and fade like the HF ionosphere, or every sensitivity figure
// measured with it is wrong.

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "modem/hfdl_phy.h"
#include "support/temp_dir.h"
#include "testbench/fft_filter.h"
#include "testbench/hf_channel.h"
#include "testbench/hfdl_modulator.h"
#include "testbench/msk_modulator.h"
#include "testbench/watterson_fading.h"
#include "testbench/wav_file.h"

namespace talvir::testbench {
namespace {

TEST(HfdlModulator, BurstStartsWhenAskedFitsItsSlotAndHasTheAskedPower) {
  std::vector<uint8_t> frame(405);
  for (std::size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i * 37 + 11);
  const auto audio = ModulateHfdlBurst(frame, 0, {.startSeconds = 0.01, .amplitude = 0.4f, .carrierOffsetHz = 25.0});
  const std::size_t lead = 480;
  for (std::size_t n = 0; n < lead; ++n) ASSERT_EQ(audio[n], 0.0f);
  EXPECT_NE(audio[lead + 20], 0.0f);
  // The 1.8 s burst, its prekey and the pulse's tails fit one slot of 32/13 s.
  const double seconds = static_cast<double>(audio.size() - lead) / 48000.0;
  EXPECT_NEAR(seconds, (BurstSymbolCount(0) + 16) / 1800.0, 0.001);
  EXPECT_LT(seconds, 32.0 / 13.0);
  // Mean power over the burst's symbols is that of a tone of peak 0.4.
  double power = 0.0;
  for (std::size_t n = lead; n < audio.size(); ++n) power += std::pow(static_cast<double>(audio[n]), 2);
  power /= static_cast<double>(BurstSymbolCount(0)) * 48000.0 / 1800.0;
  EXPECT_NEAR(power / (0.4 * 0.4 / 2), 1.0, 0.03);

  EXPECT_THROW(ModulateHfdlBurst(std::vector<uint8_t>(136, 0), 4), std::invalid_argument);
  EXPECT_THROW(Interleave(std::vector<uint8_t>(10), 0), std::invalid_argument);
  EXPECT_THROW(CodedBurstBits(std::vector<uint8_t>(1), hfdl::kRateCodes), std::invalid_argument);
}

constexpr int kSamplesPerBit = 20;

const std::vector<uint8_t> kBlock = {0x01, 0x32, 0x2E, 0x4E, 0x31, 0x32, 0x33, 0x83, 0x89, 0x21, 0x7F};

TEST(MskModulator, PhaseIsContinuousAmplitudeAsAskedAndABlockNeedsSoh) {
  const auto audio = ModulateVhfAcars(kBlock, {.amplitude = 0.4f});
  // Between ramps no sample moves further than a 2400 Hz tone can in 1/48000 s.
  const double maxStep = 0.4 * 2 * std::numbers::pi * 2400 / 48000 * 1.001;
  float peak = 0;
  for (std::size_t n = 200; n + 200 < audio.size(); ++n) {
    EXPECT_LE(std::abs(static_cast<double>(audio[n] - audio[n - 1])), maxStep) << "at sample " << n;
    peak = std::max(peak, std::abs(audio[n]));
  }
  EXPECT_NEAR(peak, 0.4f, 1e-3f);
  EXPECT_EQ(audio.size() % kSamplesPerBit, 0u);
  EXPECT_THROW(ModulateVhfAcars(std::vector<uint8_t>{0x32, 0x83}), std::invalid_argument);
  EXPECT_THROW(ModulateVhfAcars({}), std::invalid_argument);
}

TEST(WavFile, RoundTripsClippedStereoAndMonoAndRefusesWhatItCannot) {
  testing::TempDir dir;
  const std::vector<float> left = {0.0f, 0.5f, -0.5f, 1.5f, -1.5f};
  const std::vector<float> right = {0.25f, -0.25f, 0.0f, 0.125f, 1.0f};
  WriteWavFile(dir.path() / "x.wav", left, right);
  const auto audio = ReadWavFile(dir.path() / "x.wav");
  EXPECT_EQ(audio.sampleRate, 48000);
  ASSERT_EQ(audio.channels, 2);
  for (std::size_t i = 0; i < left.size(); ++i) {
    EXPECT_NEAR(audio.samples[0][i], std::clamp(left[i], -1.0f, 1.0f), 1.0f / 32767);
    EXPECT_NEAR(audio.samples[1][i], right[i], 1.0f / 32767);
  }
  const std::vector<float> mono = {0.1f, 0.2f};
  WriteWavFile(dir.path() / "m.wav", mono);
  EXPECT_EQ(ReadWavFile(dir.path() / "m.wav").channels, 1);
  EXPECT_THROW(EncodeWav(mono, std::vector<float>{0.1f}), std::invalid_argument);
  EXPECT_THROW(WriteWavFile(dir.path() / "no" / "such" / "dir.wav", mono), std::runtime_error);
  EXPECT_THROW(ReadWavFile(dir.path() / "missing.wav"), std::runtime_error);
}

constexpr double kRate = 48000.0;

std::vector<float> Tone(double hz, double amplitude, std::size_t count) {
  std::vector<float> out(count);
  for (std::size_t n = 0; n < count; ++n) {
    out[n] = static_cast<float>(amplitude * std::cos(2.0 * std::numbers::pi * hz * static_cast<double>(n) / kRate));
  }
  return out;
}

// Power of `x` between lowHz and highHz, from one long periodogram.
double BandPower(const std::vector<float>& x, double lowHz, double highHz) {
  std::size_t size = 1;
  while (size < x.size()) size *= 2;
  std::vector<Complex> spectrum(size);
  for (std::size_t i = 0; i < x.size(); ++i) spectrum[i] = x[i];
  Fft(size).Forward(spectrum);
  double sum = 0.0;
  for (std::size_t k = 1; k < size / 2; ++k) {
    const double hz = static_cast<double>(k) * kRate / static_cast<double>(size);
    if (hz >= lowHz && hz < highHz) sum += 2.0 * std::norm(spectrum[k]);
  }
  return sum / (static_cast<double>(size) * static_cast<double>(x.size()));
}

double DbOf(double ratio) { return 10.0 * std::log10(ratio); }

// White noise has the same power in 3 kHz and carries on flat to 24 kHz.
TEST(Channel, MeasuredSnrInThreeKilohertzMatchesTheAskedOne) {
  const auto clean = Tone(1440.0, 0.3, 48000 * 8);
  for (const bool white : {false, true}) {
    for (double asked : {-5.0, 0.0, 10.0, 25.0}) {
      ChannelOptions options;
      options.snrDb = asked;
      options.seed = 7;
      options.whiteNoise = white;
      const auto noisy = ApplyChannel(clean, options);
      std::vector<float> noise(noisy.size());
      for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = noisy[i] - clean[i];
      const double signalPower = 0.3 * 0.3 / 2.0;
      const double inBand = BandPower(noise, 300.0, 3300.0);
      EXPECT_NEAR(DbOf(signalPower / inBand), asked, 0.3) << "asked " << asked << " dB, white " << white;
      const double above = BandPower(noise, 3600.0, 24000.0) / inBand;
      if (white)
        EXPECT_NEAR(above, 20400.0 / 3000.0, 0.3);
      else
        EXPECT_LT(above, 1e-4);
    }
  }
}

TEST(Channel, SameSeedSameNoiseOtherSeedOtherNoiseNoSignalRefused) {
  const auto clean = Tone(1000.0, 0.2, 30000);
  ChannelOptions options;
  options.snrDb = 5.0;
  options.fading = FadingPreset::kModerate;
  options.seed = 11;
  const auto a = ApplyChannel(clean, options);
  const auto b = ApplyChannel(clean, options);
  options.seed = 12;
  const auto c = ApplyChannel(clean, options);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  // Silence has no power to set an SNR against.
  EXPECT_THROW(ApplyChannel(std::vector<float>(1000, 0.0f), options), std::invalid_argument);
}

// A carrier offset moves a tone; a DC offset sits under the signal, which
// passes otherwise unchanged, and wanders by its full amplitude at the asked
// rate; a timing offset delays by sub-sample amounts.
TEST(Channel, CarrierDcAndTimingOffsets) {
  ChannelOptions carrier;
  carrier.carrierOffsetHz = 37.5;
  const auto moved = ApplyChannel(Tone(1440.0, 0.5, 48000 * 2), carrier);
  // Away from the filter's start-up, the power sits at 1477.5 Hz.
  const std::vector<float> middle(moved.begin() + 4800, moved.end() - 4800);
  const double total = BandPower(middle, 0.0, 24000.0);
  EXPECT_NEAR(total, 0.125, 0.003);
  EXPECT_GT(BandPower(middle, 1470.0, 1485.0) / total, 0.99);

  ChannelOptions dc;
  dc.dcOffset = {.level = 0.5, .driftAmplitude = 0.2, .driftHz = 1.0};
  const auto tone = Tone(1440.0, 0.25, 48000);
  const auto shifted = ApplyChannel(tone, dc);
  // A quarter of a second in, the wander is at its peak.
  EXPECT_NEAR(shifted[12000] - tone[12000], 0.7, 1e-6);
  EXPECT_NEAR(shifted[36000] - tone[36000], 0.3, 1e-6);
  double mean = 0.0;
  for (std::size_t n = 0; n < shifted.size(); ++n) mean += static_cast<double>(shifted[n] - tone[n]);
  EXPECT_NEAR(mean / static_cast<double>(shifted.size()), 0.5, 1e-4);

  // A tone delayed by 2.25 samples lags in phase by 2 pi f * 2.25 / fs.
  ChannelOptions timing;
  timing.timingOffsetSeconds = 2.25 / kRate;
  const auto delayed = ApplyChannel(Tone(1500.0, 0.5, 9600), timing);
  for (std::size_t n = 3000; n < 6000; ++n) {
    const double phase = 2.0 * std::numbers::pi * 1500.0 * (static_cast<double>(n) - 2.25) / kRate;
    ASSERT_NEAR(delayed[n], 0.5 * std::cos(phase), 1e-3) << n;
  }
}

// Long runs of the tap gains, at a rate proportional to the spread so the
// run covers thousands of fade periods.
struct GainRun {
  std::vector<std::complex<double>> path[2];
};

GainRun RunTaps(double spreadHz, double rate, std::size_t count, uint64_t seed) {
  WattersonTaps taps(spreadHz, rate, seed);
  GainRun run;
  for (std::size_t i = 0; i < count; ++i) {
    const auto g = taps.Next();
    run.path[0].push_back(g[0]);
    run.path[1].push_back(g[1]);
  }
  return run;
}

TEST(Fading, PathsAreIndependentRayleighOfEqualPower) {
  const auto run = RunTaps(0.5, 20.0, 400000, 5);
  for (const auto& gains : run.path) {
    double power = 0.0;
    for (auto g : gains) power += std::norm(g);
    power /= static_cast<double>(gains.size());
    EXPECT_NEAR(power, 0.5, 0.04);
    // Rayleigh: P(|g|^2 < x) = 1 - exp(-x / power); check the deep fades and
    // the median, and E|g| = sqrt(pi power) / 2.
    for (double quantileOfMean : {0.1, std::log(2.0), 2.0}) {
      std::size_t below = 0;
      for (auto g : gains) below += std::norm(g) < quantileOfMean * power;
      EXPECT_NEAR(static_cast<double>(below) / static_cast<double>(gains.size()), 1.0 - std::exp(-quantileOfMean),
                  0.02);
    }
    double meanEnvelope = 0.0;
    for (auto g : gains) meanEnvelope += std::abs(g);
    meanEnvelope /= static_cast<double>(gains.size());
    EXPECT_NEAR(meanEnvelope / std::sqrt(std::numbers::pi * power) * 2.0, 1.0, 0.02);
  }
  std::complex<double> cross{};
  for (std::size_t i = 0; i < run.path[0].size(); ++i) cross += run.path[0][i] * std::conj(run.path[1][i]);
  EXPECT_LT(std::abs(cross) / static_cast<double>(run.path[0].size()), 0.03);
}

// A Gaussian Doppler spectrum of two-sigma width 2s gives the normalised
// autocorrelation exp(-2 pi^2 s^2 t^2); its value at two lags recovers s.
TEST(Fading, DopplerSpreadIsTheAskedOne) {
  for (double spread : {0.1, 0.5, 1.0, 10.0}) {
    const double rate = 40.0 * spread;
    const auto run = RunTaps(spread, rate, 400000, 21);
    const auto& g = run.path[0];
    const auto correlation = [&](std::size_t lag) {
      std::complex<double> sum{};
      double power = 0.0;
      for (std::size_t i = 0; i + lag < g.size(); ++i) {
        sum += g[i + lag] * std::conj(g[i]);
        power += std::norm(g[i]);
      }
      return std::abs(sum) / power;
    };
    for (double lagSeconds : {0.3 / spread, 0.6 / spread}) {
      const auto lag = static_cast<std::size_t>(std::lround(lagSeconds * rate));
      const double t = static_cast<double>(lag) / rate;
      const double sigma = std::sqrt(-std::log(correlation(lag)) / (2.0 * std::numbers::pi * std::numbers::pi * t * t));
      EXPECT_NEAR(2.0 * sigma / spread, 1.0, 0.08) << "spread " << spread << " lag " << t;
    }
  }
}

}  // namespace
}  // namespace talvir::testbench
