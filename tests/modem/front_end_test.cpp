// The front end: resampler, candidate paths, rotator and slot clock, and the
// carrier notch: steady carriers are found and notched; bursts, their prekey
// and noise are left alone.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "modem/candidate_path.h"
#include "modem/carrier_notch.h"
#include "modem/hfdl_phy.h"
#include "modem/resampler.h"
#include "modem/slot_clock.h"
#include "modem_harness.h"

namespace talvir {
namespace {

struct BlockCounter {
  std::vector<std::vector<float>> blocks;
  void operator()(Resampler::Block b) { blocks.emplace_back(b.begin(), b.end()); }
};

TEST(Resampler, CaptureBufferGives375OutputsAndBlocksDoNotAlign) {
  Resampler resampler;
  BlockCounter blocks;
  std::vector<float> buffer(kBlockFrames, 0.25f);
  resampler.Feed(buffer, blocks);
  // 375 outputs: two blocks of 180 and 15 waiting for the next buffer.
  EXPECT_EQ(blocks.blocks.size(), 2u);
  EXPECT_EQ(resampler.BlockFill(), 15);
  resampler.Feed(buffer, blocks);
  EXPECT_EQ(blocks.blocks.size(), 4u);
  EXPECT_EQ(resampler.BlockFill(), 30);
  // A count not a multiple of five still picks every fifth sample: 0 and 5
  // of seven, then 0 of three.
  resampler.Feed(std::vector<float>(7, 0.0f), blocks);
  EXPECT_EQ(resampler.BlockFill(), 31);
  resampler.Feed(std::vector<float>(3, 0.0f), blocks);
  EXPECT_EQ(resampler.BlockFill(), 32);
}

// A tone of peak 0.5 at the sound card's rate.
std::vector<float> Tone(double hz, std::size_t count) {
  std::vector<float> tone(count);
  for (std::size_t n = 0; n < tone.size(); ++n)
    tone[n] = 0.5f * static_cast<float>(std::cos(2 * std::numbers::pi * hz * static_cast<double>(n) / kSampleRate));
  return tone;
}

// Mean power of the resampler's output for a tone at the input, after the
// filters have settled.
double ResampledTonePower(double hz) {
  Resampler resampler;
  BlockCounter blocks;
  resampler.Feed(Tone(hz, kSampleRate), blocks);
  double sum = 0.0;
  int count = 0;
  for (std::size_t b = 4; b < blocks.blocks.size(); ++b)
    for (const float y : blocks.blocks[b]) {
      sum += static_cast<double>(y) * static_cast<double>(y);
      ++count;
    }
  return sum / count;
}

// Every fifth sample alone would fold these tones onto the HFDL band at full
// strength (8160, 11040, 17760 and 20640 Hz all onto 1440 Hz).
TEST(Resampler, TonesThatThePickWouldFoldOntoTheBandAreStopped) {
  const double inBand = ResampledTonePower(hfdl::kCarrierHz);
  // Zero stuffing leaves a third of the amplitude: a ninth of 0.125.
  EXPECT_NEAR(inBand, 0.125 / 9, 0.001);
  EXPECT_GT(ResampledTonePower(2600.0), 0.5 * inBand);
  for (const double hz : {7000.0, 8160.0, 11040.0, 13000.0, 17760.0, 20640.0, 23000.0})
    EXPECT_LT(10 * std::log10(ResampledTonePower(hz) / inBand), -60.0) << hz << " Hz";
}

// Frequency of a path window's newest samples from their phase steps.
double WindowFrequencyHz(const CandidatePath& path) {
  const auto& w = path.window();
  Complex sum{};
  for (int n = 200; n < CandidatePath::kWindowSize - 1; ++n)
    sum += MulConj(w[static_cast<std::size_t>(n + 1)], w[static_cast<std::size_t>(n)]);
  return static_cast<double>(std::atan2(sum.imag(), sum.real())) * hfdl::kPathRate / (2 * std::numbers::pi);
}

TEST(CandidatePaths, Tone1440LandsAtPlus50ZeroAndMinus50Hz) {
  testing::ModemHarness harness;
  // 0.73 s: a tone that lasts longer is notched as an interfering carrier.
  harness.Feed(Tone(hfdl::kCarrierHz, 14 * kBlockFrames));
  EXPECT_NEAR(WindowFrequencyHz(harness.modem->Path(0)), 50.0, 0.5);
  EXPECT_NEAR(WindowFrequencyHz(harness.modem->Path(1)), 0.0, 0.5);
  EXPECT_NEAR(WindowFrequencyHz(harness.modem->Path(2)), -50.0, 0.5);
  // The AGC follows the mixer's input power: the tone's 0.125, a ninth of it
  // after the zero stuffing.
  for (int p = 0; p < 3; ++p) EXPECT_NEAR(harness.modem->Path(p).AgcPower(), 0.125f / 9, 0.001f) << p;
}

// Ticks of 25 ms: slot 12 ends and slot 0 begins at 12 x 2.461538 = 29.538 s;
// the tick that wraps t past 32 s gives slot 1 again.
TEST(SlotClock, RunsThroughThirteenSlotsWrapsAndHoldsASquittersTime) {
  SlotClock clock;
  EXPECT_EQ(clock.CurrentSlot(), 0);
  clock.Tick();
  EXPECT_EQ(clock.CurrentSlot(), 1);
  const auto tickUntil = [&clock](float seconds) {
    while (clock.Time() < seconds) clock.Tick();
  };
  tickUntil(29.5f);
  EXPECT_EQ(clock.CurrentSlot(), 12);
  tickUntil(29.6f);
  EXPECT_EQ(clock.CurrentSlot(), 0);
  EXPECT_EQ(clock.RawSlotIndex(), 13);
  tickUntil(31.99f);
  clock.Tick();
  EXPECT_LT(clock.Time(), 0.05f);
  EXPECT_EQ(clock.CurrentSlot(), 1);
  // After a reset slot 0 reads until the next tick, and a squitter's time
  // holds for eight frames.
  EXPECT_FALSE(clock.Synchronised());
  tickUntil(12.3f);
  clock.Reset();
  EXPECT_EQ(clock.CurrentSlot(), 0);
  clock.Tick();
  EXPECT_EQ(clock.CurrentSlot(), 1);
  EXPECT_EQ(clock.RawSlotIndex(), 1);
  for (int i = 1; i < SlotClock::kSynchronisedTicks; ++i) {
    ASSERT_TRUE(clock.Synchronised()) << i;
    clock.Tick();
  }
  EXPECT_FALSE(clock.Synchronised());
}

constexpr double kRate = hfdl::kMixRate;

struct Run {
  std::vector<float> out;
  std::vector<int> notches;  // active after each block
  std::vector<float> firstHz;
};

// Gaussian noise of unit power plus what `tone(n)` adds, block by block.
template <class Tone>
Run Through(CarrierNotch& notch, double seconds, Tone tone, uint32_t seed = 1) {
  std::mt19937 random(seed);
  std::normal_distribution<float> gauss;
  Run run;
  std::array<float, CarrierNotch::kBlock> in{};
  std::array<float, CarrierNotch::kBlock> out{};
  const int blocks = static_cast<int>(seconds * kRate / CarrierNotch::kBlock);
  for (int b = 0; b < blocks; ++b) {
    for (int i = 0; i < CarrierNotch::kBlock; ++i) {
      const long n = static_cast<long>(b) * CarrierNotch::kBlock + i;
      in[static_cast<std::size_t>(i)] = gauss(random) + tone(n);
    }
    notch.Process(in, out);
    run.out.insert(run.out.end(), out.begin(), out.end());
    run.notches.push_back(notch.ActiveNotches());
    run.firstHz.push_back(notch.NotchHz(0));
  }
  return run;
}

// Power of x at hz over its last `count` samples (a single DFT bin).
double PowerAt(const std::vector<float>& x, double hz, std::size_t count) {
  std::complex<double> sum{};
  for (std::size_t n = x.size() - count; n < x.size(); ++n)
    sum += static_cast<double>(x[n]) * std::polar(1.0, -2.0 * std::numbers::pi * hz * static_cast<double>(n) / kRate);
  return std::norm(sum) / static_cast<double>(count * count);
}

auto ToneAt(double hz, double amplitude, long until = -1) {
  return [=](long n) {
    if (until >= 0 && n >= until) return 0.0f;
    return static_cast<float>(amplitude * std::cos(2.0 * std::numbers::pi * hz * static_cast<double>(n) / kRate));
  };
}

TEST(CarrierNotch, SteadyCarrierIsNotchedAfterItHasLastedShortOneAndNoiseAreNot) {
  CarrierNotch notch;
  // 10 dB above the noise in the whole 3.6 kHz.
  const auto run = Through(notch, 3.0, ToneAt(1840.0, std::sqrt(20.0)));
  // Not before six spectra (0.85 s), then for good.
  EXPECT_EQ(run.notches[20], 0);
  EXPECT_EQ(run.notches.back(), 1);
  EXPECT_NEAR(run.firstHz.back(), 1840.0f, 1.5f);
  // The tone's 5 at its frequency, at least 30 dB down.
  EXPECT_LT(PowerAt(run.out, 1840.0, 7200), 5e-3);
  // Noise alone, and a burst's 0.25 s prekey (a carrier too short to notch).
  CarrierNotch quiet;
  for (const int n : Through(quiet, 3.0, [](long) { return 0.0f; }).notches) ASSERT_EQ(n, 0);
  CarrierNotch prekey;
  for (const int n : Through(prekey, 3.0, ToneAt(1440.0, 10.0, static_cast<long>(0.3 * kRate))).notches)
    ASSERT_EQ(n, 0);
}

// Two carriers, one drifting at 0.2 Hz/s: both stay notched, the notch
// follows the drift.
TEST(CarrierNotch, DriftingCarriersAreFollowed) {
  CarrierNotch notch;
  const auto run = Through(notch, 20.0, [](long n) {
    const double t = static_cast<double>(n) / kRate;
    return static_cast<float>(5.0 * std::cos(2.0 * std::numbers::pi * (1000.0 * t + 0.1 * t * t)) +
                              5.0 * std::cos(2.0 * std::numbers::pi * 2200.0 * t));
  });
  EXPECT_EQ(run.notches.back(), 2);
  const float a = notch.NotchHz(0);
  const float b = notch.NotchHz(1);
  const float drifting = std::fabs(a - 1004.0f) < std::fabs(b - 1004.0f) ? a : b;
  EXPECT_NEAR(drifting, 1004.0f, 2.0f);
  EXPECT_NEAR(a + b - drifting, 2200.0f, 1.5f);
}

}  // namespace
}  // namespace talvir
