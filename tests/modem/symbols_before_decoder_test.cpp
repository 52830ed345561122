// The soft bits of real on-air bursts, before the Viterbi decoder mends
// them: a slip in a table both our modulator and our receiver use (the
// scrambler, the symbol map) cancels in every round trip, and the decoder
// corrects a wrong bit in a hundred, so only the raw bits of a recording show
// it.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "modem_harness.h"
#include "testbench/hfdl_modulator.h"
#include "testbench/wav_file.h"

namespace talvir {
namespace {

// On each decoded frame, re-encodes its bytes in the order they went on the
// air and counts, per scrambler position, the data symbols whose soft bits
// say otherwise (positive favours 0).
class RawBitCounter : public testing::RecordingFrameReceiver {
 public:
  struct Burst {
    int wrongBits = 0;
    int bits = 0;
    int symbols = 0;
    std::array<int, hfdl::kScramblerLength> wrongSymbols{};  // per scrambler position
  };
  bool ReceiveFrame(std::span<const uint8_t> frame, const BurstInfo& burst) override {
    const auto& rate = hfdl::Rate(burst.rateCode);
    const auto air = testbench::Interleave(testbench::CodedBurstBits(frame, burst.rateCode), burst.rateCode);
    Burst counts;
    counts.bits = static_cast<int>(air.size());
    counts.symbols = counts.bits / rate.bitsPerSymbol;
    hfdl::InterleaverCursor cursor;
    bool symbolWrong = false;
    for (int i = 0; i < counts.bits; ++i) {
      const bool wrong =
          (modem->SoftBits().Value(cursor.row, cursor.column) < 0.0f) != (air[static_cast<std::size_t>(i)] != 0);
      counts.wrongBits += wrong;
      symbolWrong = symbolWrong || wrong;
      if (i % rate.bitsPerSymbol == rate.bitsPerSymbol - 1) {
        counts.wrongSymbols[static_cast<std::size_t>(i / rate.bitsPerSymbol % hfdl::kScramblerLength)] += symbolWrong;
        symbolWrong = false;
      }
      cursor.StepWrite(rate);
    }
    bursts.push_back(counts);
    return testing::RecordingFrameReceiver::ReceiveFrame(frame, burst);
  }
  const HfdlModem* modem = nullptr;
  std::vector<Burst> bursts;
};

TEST(SymbolsBeforeDecoder, RawErrorsOfRecordedBurstsAreNoiseNotATableSlip) {
  if (!std::filesystem::exists(TALVIR_RECORDINGS_DIR)) GTEST_SKIP() << "no recordings folder";
  for (const char* name : {"hfdl-squitter-gs3.wav", "hfdl-downlink-uplink-gs3.wav"}) {
    SCOPED_TRACE(name);
    testing::BasicModemHarness<RawBitCounter> harness;
    RawBitCounter& counter = harness.receiver;
    counter.modem = harness.modem.get();
    harness.Feed(testbench::ReadWavFile(std::filesystem::path(TALVIR_RECORDINGS_DIR) / name).samples.at(0));
    harness.FeedSilence(4.0);  // let the last burst finish
    ASSERT_FALSE(counter.bursts.empty());
    for (const auto& burst : counter.bursts) {
      // Noise spreads the errors; a wrong table entry makes one position wrong
      // every time.
      EXPECT_LT(*std::max_element(burst.wrongSymbols.begin(), burst.wrongSymbols.end()),
                burst.symbols / hfdl::kScramblerLength / 2);
      EXPECT_LT(burst.wrongBits, burst.bits / 20);
    }
  }
}

}  // namespace
}  // namespace talvir
