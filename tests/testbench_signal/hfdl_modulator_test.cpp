// The HFDL transmitter checked against receivers written here from the
// receiver's rules: a hard-decision Viterbi decoder, the deinterleaver's
// write and read order, and a matched filter on the audio.

#include "testbench/hfdl_modulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "modem/hfdl_phy.h"
#include "reference_pulse.h"

namespace talvir::testbench {
namespace {

std::vector<uint8_t> RandomFrame(std::size_t bytes, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> frame(bytes);
  for (auto& b : frame) b = static_cast<uint8_t>(rng() & 0xFF);
  return frame;
}

int Parity(unsigned v) { return __builtin_parity(v); }

// Plain hard-decision Viterbi over the 64 states (the six previous input
// bits, newest in bit 5), ending in the best state.
std::vector<uint8_t> HardViterbi(const std::vector<uint8_t>& coded) {
  const std::size_t steps = coded.size() / 2;
  constexpr int kInf = 1 << 28;
  std::vector<int> metric(64, kInf);
  metric[0] = 0;
  std::vector<std::vector<uint8_t>> from(steps, std::vector<uint8_t>(64));
  for (std::size_t i = 0; i < steps; ++i) {
    std::vector<int> next(64, kInf);
    for (int state = 0; state < 64; ++state) {
      if (metric[state] == kInf) continue;
      for (int bit = 0; bit < 2; ++bit) {
        const unsigned word = (static_cast<unsigned>(bit) << 6) | static_cast<unsigned>(state);
        const int cost = (Parity(word & 0x5B) != coded[2 * i]) + (Parity(word & 0x79) != coded[2 * i + 1]);
        const int target = (bit << 5) | (state >> 1);
        if (metric[state] + cost < next[target]) {
          next[target] = metric[state] + cost;
          from[i][target] = static_cast<uint8_t>(state);
        }
      }
    }
    metric = next;
  }
  int state = static_cast<int>(std::min_element(metric.begin(), metric.end()) - metric.begin());
  std::vector<uint8_t> bits(steps);
  for (std::size_t i = steps; i-- > 0;) {
    bits[i] = static_cast<uint8_t>(state >> 5);
    state = from[i][state];
  }
  return bits;
}

TEST(HfdlEncoder, HardViterbiGivesBackTheFrameForEveryRateCode) {
  for (int code = 0; code < hfdl::kRateCodes; ++code) {
    const auto& rate = hfdl::Rate(code);
    const auto frame = RandomFrame(static_cast<std::size_t>(rate.frameBytes), 100u + static_cast<unsigned>(code));
    auto coded = CodedBurstBits(frame, code);
    ASSERT_EQ(coded.size(), static_cast<std::size_t>(rate.softBits)) << "code " << code;
    if (rate.repetition == 2) {
      std::vector<uint8_t> once;
      for (std::size_t i = 0; i < coded.size(); i += 2) {
        ASSERT_EQ(coded[i], coded[i + 1]) << "code " << code << " bit " << i;
        once.push_back(coded[i]);
      }
      coded = once;
    }
    const auto decoded = HardViterbi(coded);
    ASSERT_EQ(decoded.size(), static_cast<std::size_t>(rate.viterbiSteps));
    std::vector<uint8_t> bytes(static_cast<std::size_t>(rate.frameBytes), 0);
    for (std::size_t i = 0; i < bytes.size() * 8; ++i)
      bytes[i / 8] = static_cast<uint8_t>(bytes[i / 8] | (decoded[i] << (i % 8)));
    EXPECT_EQ(bytes, frame) << "code " << code;
    // Bits beyond the last whole byte are zero.
    for (std::size_t i = bytes.size() * 8; i < decoded.size(); ++i) EXPECT_EQ(decoded[i], 0) << "code " << code;
  }
}

// The receiver's deinterleaver, from its description: writes go down a row
// at a time with the column stepping by the mode's step (one more after each
// 40 writes); reads visit rows 0, 9, 18, ... of a column, then the next one.
TEST(HfdlInterleaver, ReceiverWriteThenReadOrderGivesBackTheInputForEveryRateCode) {
  for (int code = 0; code < hfdl::kRateCodes; ++code) {
    const auto& rate = hfdl::Rate(code);
    std::vector<uint8_t> coded(static_cast<std::size_t>(rate.softBits));
    std::mt19937 rng(static_cast<unsigned>(code));
    for (auto& b : coded) b = static_cast<uint8_t>(rng() & 1);
    const auto air = Interleave(coded, code);

    std::vector<std::vector<int>> matrix(40, std::vector<int>(static_cast<std::size_t>(rate.columns), -1));
    int row = 0, column = 0;
    for (uint8_t bit : air) {
      ASSERT_EQ(matrix[row][column], -1) << "code " << code << " writes a cell twice";
      matrix[row][column] = bit;
      if (++row == 40) {
        row = 0;
        column = (column + 1) % rate.columns;
      }
      column = (column + rate.columnStep) % rate.columns;
    }
    std::vector<uint8_t> read;
    row = 0;
    column = 0;
    for (std::size_t i = 0; i < air.size(); ++i) {
      read.push_back(static_cast<uint8_t>(matrix[row][column]));
      row = (row + 9) % 40;
      if (row == 0) ++column;
    }
    EXPECT_EQ(read, coded) << "code " << code;
  }
  EXPECT_THROW(Interleave(std::vector<uint8_t>(10), 0), std::invalid_argument);
  EXPECT_THROW(CodedBurstBits(std::vector<uint8_t>(1), hfdl::kRateCodes), std::invalid_argument);
}

// Down-mix, matched-filter with the same pulse, sample at symbol centres:
// a Nyquist pulse pair gives the symbols back without interference.
TEST(HfdlModulator, MatchedFilterRecoversTheSymbolsAtTheAskedStartAndPower) {
  const std::vector<uint8_t> frame = RandomFrame(405, 3);
  HfdlBurstOptions options;
  options.amplitude = 0.4f;
  options.startSeconds = 0.01;
  options.carrierOffsetHz = 25.0;
  const auto symbols = BurstSymbols(frame, 0);
  const auto audio = ModulateHfdlBurst(frame, 0, options);
  const double samplesPerSymbol = 48000.0 / 1800.0;
  const std::size_t lead = 480;
  std::vector<std::complex<double>> estimates;
  double meanMagnitude = 0.0;
  for (std::size_t k = 0; k < symbols.size(); ++k) {
    // Symbol k's centre: 8 + k symbol periods after the lead-in.
    const double centre = static_cast<double>(lead) + (8.0 + static_cast<double>(k)) * samplesPerSymbol;
    std::complex<double> sum{};
    for (auto n = static_cast<long>(centre - 8 * samplesPerSymbol);
         n <= static_cast<long>(centre + 8 * samplesPerSymbol); ++n) {
      const double phase = 2 * std::numbers::pi * 1465.0 * static_cast<double>(n - static_cast<long>(lead)) / 48000.0;
      sum += ReferenceRrc((static_cast<double>(n) - centre) / samplesPerSymbol) *
             static_cast<double>(audio[static_cast<std::size_t>(n)]) * std::polar(1.0, -phase);
    }
    estimates.push_back(sum);
    meanMagnitude += std::abs(sum) / static_cast<double>(symbols.size());
  }
  double worst = 0.0;
  for (std::size_t k = 0; k < symbols.size(); ++k) {
    worst = std::max(
        worst, std::abs(estimates[k] / meanMagnitude - std::complex<double>(symbols[k].real(), symbols[k].imag())));
  }
  EXPECT_LT(worst, 0.03);

  // Mean power over the burst is that of a tone of peak 0.4.
  double audioPower = 0.0;
  for (std::size_t n = lead; n < audio.size(); ++n)
    audioPower += static_cast<double>(audio[n]) * static_cast<double>(audio[n]);
  audioPower /= static_cast<double>(symbols.size()) * samplesPerSymbol;
  EXPECT_NEAR(audioPower / (0.4 * 0.4 / 2), 1.0, 0.03);

  // Silence up to the start; the 1.8 s burst, its prekey and the pulse's
  // tails fit one slot of 32/13 s.
  for (std::size_t n = 0; n < lead; ++n) ASSERT_EQ(audio[n], 0.0f);
  const double seconds = static_cast<double>(audio.size() - lead) / 48000.0;
  EXPECT_NEAR(seconds, (BurstSymbolCount(0) + 16) / 1800.0, 0.001);
  EXPECT_LT(seconds, 32.0 / 13.0);
  EXPECT_THROW(ModulateHfdlBurst(std::vector<uint8_t>(136, 0), 4), std::invalid_argument);
}

}  // namespace
}  // namespace talvir::testbench
