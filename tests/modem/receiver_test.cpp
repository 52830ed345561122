// Soft decisions, deinterleaver cursor, Viterbi decoder, frame counters.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <random>
#include <utility>
#include <vector>

#include "modem/constellation_ring.h"
#include "modem/deinterleaver.h"
#include "modem/frame_counters.h"
#include "modem/soft_slicer.h"
#include "modem/viterbi_decoder.h"
#include "testbench/hfdl_modulator.h"

namespace talvir {
namespace {

// Code 4: writes step the column by 37, and by 38 after each forty rows;
// reads go down the rows in steps of nine, then to the next column.
TEST(Deinterleaver, Code4CursorWritesAndReads) {
  Deinterleaver d;
  d.SetMode(4);
  d.Rewind();
  std::vector<std::pair<int, int>> at;
  for (int i = 0; i < 41; ++i) {
    at.emplace_back(d.cursor().row, d.cursor().column);
    d.Write(static_cast<float>(i));
  }
  EXPECT_EQ((std::vector<std::pair<int, int>>(at.begin(), at.begin() + 4)),
            (std::vector<std::pair<int, int>>{{0, 0}, {1, 37}, {2, 20}, {3, 3}}));
  EXPECT_EQ(at[39].first, 39);
  EXPECT_EQ(at[40], std::make_pair(0, (at[39].second + 1 + 37) % 54));

  d.Rewind();
  std::vector<int> rows;
  for (int i = 0; i < 40; ++i) {
    rows.push_back(d.cursor().row);
    EXPECT_EQ(d.cursor().column, 0);
    d.Read();
  }
  EXPECT_EQ((std::vector<int>(rows.begin(), rows.begin() + 7)), (std::vector<int>{0, 9, 18, 27, 36, 5, 14}));
  EXPECT_EQ(d.cursor().row, 0);
  EXPECT_EQ(d.cursor().column, 1);
}

constexpr SymbolScale kScale{0.1f, 0.01f};  // 2 A / s^2 = 20

// The soft bits a slicer writes, in write order.
std::vector<float> Slice(SoftSlicer slicer, Complex z, SymbolScale scale = kScale) {
  Deinterleaver d;
  d.SetMode(0);
  d.Rewind();
  const int n = slicer(z, scale, d);
  std::vector<float> soft;
  hfdl::InterleaverCursor c{};
  for (int i = 0; i < n; ++i) {
    soft.push_back(d.Value(c.row, c.column));
    c.StepWrite(hfdl::Rate(0));
  }
  return soft;
}

// Max-log: 2 A / s^2 times (best correlation with a 0 point - best with a 1
// point); BPSK gives 4 A Re(z) / s^2 whatever the quadrature part.
TEST(SoftSlicers, EveryBitGetsItsMaxLogLikelihoodMostSignificantFirst) {
  const auto one = Slice(SliceBpsk, {-0.1f, 0.02f});
  ASSERT_EQ(one.size(), 1u);
  EXPECT_NEAR(one[0], -4.0f, 1e-5f);
  // Twice the noise, half the weight; the origin carries none.
  EXPECT_NEAR(Slice(SliceBpsk, {0.05f, 0.0f}, {0.1f, 0.02f})[0], 1.0f, 1e-5f);
  EXPECT_EQ(Slice(SliceBpsk, {})[0], 0.0f);
  // No measured noise still gives finite weights; silent probes give none.
  EXPECT_TRUE(std::isfinite(Slice(SliceBpsk, {0.1f, 0.0f}, {0.1f, 0.0f})[0]));
  EXPECT_EQ(Slice(SliceBpsk, {0.1f, 0.0f}, {0.0f, 0.0f})[0], 0.0f);

  // Each bit gets its own reliability: a symbol halfway between two
  // neighbouring points leaves only the bit in which they differ in doubt.
  // QPSK index 1 = (0, 1): bits 0 then 1.
  const auto q = Slice(SliceQpsk, {0.0f, 0.1f});
  ASSERT_EQ(q.size(), 2u);
  EXPECT_NEAR(q[0], 2.0f, 1e-5f);
  EXPECT_NEAR(q[1], -2.0f, 1e-5f);
  // 8PSK index 4 = (0.7071, -0.7071): bits 1, 0, 0.
  // The first and last bits differ from a neighbour 45 degrees away, the
  // middle one only from points 90 degrees away: 2 (1 - cos 45) against 2.
  const auto e = Slice(Slice8psk, {0.07071f, -0.07071f});
  ASSERT_EQ(e.size(), 3u);
  EXPECT_NEAR(e[0], -0.5858f, 1e-3f);
  EXPECT_NEAR(e[1], 2.0f, 1e-3f);
  EXPECT_NEAR(e[2], 0.5858f, 1e-3f);
  // Between index 0 (000) and index 1 (001) at 22.5 degrees.
  const Complex middle = std::polar(0.1f, 0.3927f);
  const auto between = Slice(Slice8psk, middle);
  EXPECT_GT(between[0], 1.0f);
  EXPECT_GT(between[1], 1.0f);
  EXPECT_NEAR(between[2], 0.0f, 1e-3f);
  for (int bit = 0; bit < 3; ++bit)
    EXPECT_FLOAT_EQ(BitLikelihood(middle, kScale, hfdl::k8pskPoints, bit), between[static_cast<std::size_t>(2 - bit)]);
}

TEST(ConstellationRing, KeepsTheLast250AndClears) {
  ConstellationRing ring;
  for (int i = 0; i < 251; ++i) ring.Push({static_cast<float>(i), 0.0f});
  auto points = ring.Snapshot();
  EXPECT_EQ(points[0].real(), 250.0f);
  EXPECT_EQ(points[1].real(), 1.0f);
  ring.Clear();
  ring.Push({5.0f, 5.0f});
  points = ring.Snapshot();
  EXPECT_EQ(points[0], Complex(5.0f, 5.0f));
  EXPECT_EQ(points[1], Complex{});
}

std::vector<uint8_t> Decode(ViterbiDecoder& v, int steps, float soft) {
  v.Reset();
  for (int i = 0; i < steps; ++i) v.Step(soft, soft);
  std::vector<uint8_t> bits(static_cast<std::size_t>(steps));
  v.Traceback(bits);
  return bits;
}

// With no information the head start of state 0 is the only difference;
// once it has spread to all states every tie takes the odd predecessor, so
// the traceback from state 0 runs 0 <- 1 <- 3 <- 7 <- 15 <- 31 <- 63 <- 63 ...
TEST(Viterbi, AllZeroSoftValuesFollowTheOddPredecessors) {
  auto v = std::make_unique<ViterbiDecoder>();
  const int steps = 100;
  const auto bits = Decode(*v, steps, 0.0f);
  for (int i = steps - 6; i < steps; ++i) EXPECT_EQ(bits[static_cast<std::size_t>(i)], 0) << i;
  for (int i = 10; i < steps - 6; ++i) EXPECT_EQ(bits[static_cast<std::size_t>(i)], 1) << i;
  v->Reset();
  v->Step(0.0f, 0.0f);
  EXPECT_EQ(v->Decision(0, 0), 0);  // 0.1 beats 0
  EXPECT_EQ(v->Decision(32, 0), 0);
  EXPECT_EQ(v->Decision(5, 0), 11);  // tie: odd
  EXPECT_FLOAT_EQ(v->Metric(32), 0.1f);
}

// Also: all-positive soft values decode to zeros, packed and with the
// traceback's steps consumed.
TEST(Viterbi, DecodesTheEncoderOutputThroughScatteredErrors) {
  auto zeros = std::make_unique<ViterbiDecoder>();
  std::vector<uint8_t> bytes(67, 0xFF);
  EXPECT_EQ(PackBitsLsbFirst(Decode(*zeros, 540, 0.1f), bytes), 67);
  EXPECT_EQ(bytes, std::vector<uint8_t>(67, 0));
  EXPECT_EQ(zeros->steps(), 0);

  std::vector<uint8_t> bits(400);
  for (std::size_t i = 0; i < bits.size() - 8; ++i) bits[i] = static_cast<uint8_t>((i * 37 + i / 5) % 7 < 3);
  const auto coded = testbench::ConvolutionalEncode(bits);
  auto v = std::make_unique<ViterbiDecoder>();
  v->Reset();
  for (std::size_t i = 0; i < coded.size(); i += 2) {
    float a = coded[i] ? -0.1f : 0.1f;
    const float b = coded[i + 1] ? -0.1f : 0.1f;
    if (i % 40 == 0) a = -a;  // one wrong coded bit in twenty
    v->Step(a, b);
  }
  std::vector<uint8_t> decoded(bits.size());
  v->Traceback(decoded);
  EXPECT_EQ(decoded, bits);
}

// What a path scores against the soft values (a 0 bit on positive ones).
float PathMetric(const std::vector<uint8_t>& bits, const std::vector<float>& soft) {
  const auto coded = testbench::ConvolutionalEncode(bits);
  float metric = 0.0f;
  for (std::size_t i = 0; i < coded.size(); ++i) metric += std::max(coded[i] ? -soft[i] : soft[i], 0.0f);
  return metric;
}

// In noise that fools the decoder now and then: every detour is a path
// that costs exactly its margin less than the decoded one (so the cheapest
// come first), and often one of the cheapest eight is the path sent.
TEST(Viterbi, DetoursCostTheirMarginAndMendErrorEvents) {
  std::mt19937 random(7);
  std::normal_distribution<float> noise(0.0f, 0.9f);
  auto v = std::make_unique<ViterbiDecoder>();
  int wrong = 0;
  int mended = 0;
  for (int trial = 0; trial < 60; ++trial) {
    std::vector<uint8_t> bits(300, 0);
    for (std::size_t i = 0; i + 8 < bits.size(); ++i) bits[i] = static_cast<uint8_t>(random() & 1);
    const auto coded = testbench::ConvolutionalEncode(bits);
    std::vector<float> soft(coded.size());
    // A clean start holds the path to the encoder's first state.
    for (std::size_t i = 0; i < soft.size(); ++i) soft[i] = (coded[i] ? -1.0f : 1.0f) + (i < 12 ? 0.0f : noise(random));
    const auto feed = [&] {
      for (std::size_t i = 0; i < soft.size(); i += 2) v->Step(soft[i], soft[i + 1]);
    };
    std::vector<uint8_t> decoded(bits.size());
    v->Reset();
    feed();
    v->Traceback(decoded);
    if (decoded == bits) continue;
    ++wrong;

    v->BeginMarginPass();
    feed();
    std::vector<uint8_t> again(bits.size());
    v->Traceback(again);
    ASSERT_EQ(again, decoded);
    std::array<int, 8> cheapest{};
    ASSERT_EQ(v->CheapestDetours(cheapest), 8);
    const float best = PathMetric(decoded, soft);
    bool found = false;
    for (std::size_t k = 0; k < cheapest.size(); ++k) {
      const int step = cheapest[k];
      if (k > 0) {
        EXPECT_LE(v->Margin(cheapest[k - 1]), v->Margin(step));
      }
      auto detour = decoded;
      const int from = v->Detour(step, detour);
      EXPECT_NE(detour[static_cast<std::size_t>(step - ViterbiDecoder::kStateBits)],
                decoded[static_cast<std::size_t>(step - ViterbiDecoder::kStateBits)]);
      EXPECT_TRUE(std::equal(detour.begin(), detour.begin() + from, decoded.begin()));
      EXPECT_TRUE(std::equal(detour.begin() + step, detour.end(), decoded.begin() + step));
      // One that runs back to the start may start from another state.
      if (from > 0) {
        EXPECT_NEAR(PathMetric(detour, soft), best - v->Margin(step), 1e-3f) << trial << " " << step;
      }
      found = found || detour == bits;
    }
    mended += found ? 1 : 0;
  }
  EXPECT_GE(wrong, 10);
  EXPECT_GE(mended, wrong / 4);
}

TEST(FrameCounters, EachModeHasItsPairAndSquittersTheirOwn) {
  FrameCounters counters;
  counters.CountFrame(6, 0, true);
  counters.CountFrame(6, 0, false);
  counters.CountFrame(6, 4, true);
  counters.CountFrame(1, 4, false);
  // All frames and errors, squitters' pair, code 6's pair (slot 4), code 1's.
  FrameCounters::Values expected{};
  for (const auto& [index, count] : {std::pair{0, 4}, {1, 2}, {18, 2}, {19, 1}, {2, 1}, {16, 1}, {17, 1}})
    expected[static_cast<std::size_t>(index)] = count;
  EXPECT_EQ(counters.Snapshot(), expected);
  const std::vector<int> pairs = {14, 16, 10, 12, 6, 8, 2, 4};
  for (int code = 0; code < 8; ++code)
    EXPECT_EQ(FrameCounters::PairFor(code, 3), pairs[static_cast<std::size_t>(code)]);
  EXPECT_EQ(FrameCounters::PairFor(8, 3), -1);
  counters.Reset();
  EXPECT_EQ(counters.Snapshot(), FrameCounters::Values{});
}

}  // namespace
}  // namespace talvir
