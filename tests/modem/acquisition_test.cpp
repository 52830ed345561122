// Burst search rules and the burst report texts.

#include <gtest/gtest.h>

#include <array>
#include <utility>
#include <vector>

#include "modem/burst_report.h"
#include "modem/candidate_path.h"
#include "modem/known_symbols.h"
#include "modem/preamble_search.h"

namespace talvir {
namespace {

// An earlier peak three or more before the maximum and above half of it is
// preferred; peaks one or two before are ignored; equal maxima go to the
// first; nothing above zero gives zero.
TEST(PeakRule, ChoosesThePositionTheRuleNames) {
  struct Case {
    std::vector<std::pair<int, float>> peaks;
    int expected;
  };
  const Case cases[] = {
      {{{40, 10.0f}, {37, 5.1f}}, 37},
      {{{40, 10.0f}, {37, 5.0f}}, 40},
      {{{40, 10.0f}, {39, 9.0f}, {38, 9.5f}}, 40},
      {{}, 0},
      {{{10, 3.0f}, {20, 3.0f}}, 10},
  };
  for (const auto& c : cases) {
    std::array<float, 90> v{};
    for (const auto& [at, value] : c.peaks) v[static_cast<std::size_t>(at)] = value;
    EXPECT_EQ(ChoosePeakPosition(v), c.expected) << "first peak at " << (c.peaks.empty() ? -1 : c.peaks[0].first);
  }
}

TEST(PathChoice, StrictlyBestScoreWinsAndTiesKeepThePreviousPath) {
  std::array<PreambleCandidate, 3> found{};
  found[0].score = 1.0f;
  found[1].score = 3.0f;
  found[2].score = 2.0f;
  EXPECT_EQ(ChooseCandidatePath(found, 2), 1);
  found[2].score = 3.0f;
  EXPECT_EQ(ChooseCandidatePath(found, 0), 0);
  EXPECT_EQ(ChooseCandidatePath(found, 2), 2);
}

// Sequence A at two samples per symbol.
std::vector<Complex> PreambleSamples(int lead, Complex scale) {
  std::vector<Complex> x(static_cast<std::size_t>(lead + 2 * hfdl::kSequenceALength + PreambleSearcher::kPositions),
                         Complex{});
  for (int k = 0; k < hfdl::kSequenceALength; ++k)
    x[static_cast<std::size_t>(lead + 2 * k)] = scale * known::kPreambleA[static_cast<std::size_t>(k)];
  return x;
}

TEST(SegmentedCorrelation, SumsSegmentsEndingAfterSymbols25To125AndTheLastSymbol) {
  const auto x = PreambleSamples(3, Complex{0.0f, 2.0f});
  std::array<float, 90> c{};
  SegmentedCorrelations(x.data(), 90, c.data());
  // Segments of 26, 25, 25, 25, 25 and 1 symbols, each |2 n|^2.
  EXPECT_FLOAT_EQ(c[3], 4.0f * (26 * 26 + 4 * 25 * 25 + 1));
  // Half a symbol off the samples are zero.
  EXPECT_EQ(c[4], 0.0f);
  // A frequency offset spoils the coherent sum only within segments.
  std::vector<Complex> turned = x;
  for (std::size_t n = 0; n < turned.size(); ++n) turned[n] *= std::polar(1.0f, 0.02f * static_cast<float>(n));
  SegmentedCorrelations(turned.data(), 90, c.data());
  EXPECT_GT(c[3], 0.5f * 4.0f * 3177.0f);
}

TEST(PreambleSearch, TwoCopiesOfAAreFoundAtTheirStart) {
  CandidatePath::Window window{};
  PreambleSearcher searcher;
  // Two copies of A 254 samples apart, the first at window position 30 after
  // six block shifts: its correlation enters the history at block 0, the
  // second copy's at block 3. Search as the blocks arrive.
  std::vector<Complex> stream(6 * 90 + CandidatePath::kWindowSize, Complex{0.01f, 0.0f});
  const int start = 6 * 90 + 30;
  for (int copy = 0; copy < 2; ++copy)
    for (int k = 0; k < hfdl::kSequenceALength; ++k)
      stream[static_cast<std::size_t>(start + copy * 254 + 2 * k)] = known::kPreambleA[static_cast<std::size_t>(k)];
  PreambleCandidate found;
  for (int block = 0; block <= 6; ++block) {
    std::copy(stream.begin() + 90 * block, stream.begin() + 90 * block + CandidatePath::kWindowSize, window.begin());
    found = searcher.Search(window);
  }
  EXPECT_EQ(found.position, 30);
  EXPECT_GT(found.score, 10.0f);
}

// The status line counts disagreeing votes, and its carrier error includes
// the path's offset: a carrier at 1390 Hz is at 0 Hz on path 0.
TEST(BurstReport, StatusLineSlotTextsAndModeNames) {
  EXPECT_EQ(FormatBurstStatus(4, 4, -12.345, 52.9f, 90),
            "TS(4) 600  bps 1.8 sec Interleaver FREQ ERR -12.35 Hz Mag 52 Votes 37 ");
  EXPECT_EQ(FormatBurstStatus(0, 1, 0.0, 3.5f, 127),
            "TS(0) 1800 bps 4.2 sec Interleaver FREQ ERR 0.00 Hz Mag 3 Votes 0 ");
  EXPECT_NE(FormatBurstStatus(1, 6, CarrierErrorHz(0.0f, 0), 10.0f, 100).find("FREQ ERR -50.00 Hz"), std::string::npos);
  EXPECT_DOUBLE_EQ(CarrierErrorHz(0.0f, 2), 50.0);
  // The estimator's omega has the opposite sign of the offset: -omega * 3600 / 2 pi.
  EXPECT_NEAR(CarrierErrorHz(-10.0f * 2.0f * 3.14159265f / 3600.0f, 1), 10.0, 1e-4);
  EXPECT_EQ(FormatSlotTexts(1, 12).slotText, "TS(12,13)");
  EXPECT_EQ(FormatSlotTexts(6, 0).slotText, "TS(0)");
  EXPECT_EQ(FormatSlotTexts(6, 0).modeText, "300bps 1.8s");
  EXPECT_EQ(FormatSlotTexts(9, 3).slotText, "Unknown");
  EXPECT_EQ(ModeName(2), "1200 bps 1.8 sec Interleaver");
}

}  // namespace
}  // namespace talvir
