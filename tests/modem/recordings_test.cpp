// Real on-air bursts recorded by others: the final word on the receiver. Their
// soft bits are checked too, before the Viterbi decoder mends them: a slip in
// a table both our modulator and our receiver use (the scrambler, the symbol
// map) cancels in every round trip, and the decoder corrects a wrong bit in a
// hundred, so only the raw bits of a recording show it.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <string>

#include "common/crc16.h"
#include "modem_harness.h"
#include "support/recording_ui_link.h"
#include "testbench/hfdl_modulator.h"
#include "testbench/wav_file.h"
#include "testbench_frames/recorded_frames.h"

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

class Recordings : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(TALVIR_RECORDINGS_DIR))
      GTEST_SKIP() << "no recordings folder at " << TALVIR_RECORDINGS_DIR;
  }

  // The frames of a recording, each burst's raw errors checked.
  std::vector<testing::RecordingFrameReceiver::Frame> Decode(const std::string& name) {
    const auto wav = testbench::ReadWavFile(std::filesystem::path(TALVIR_RECORDINGS_DIR) / name);
    EXPECT_EQ(wav.sampleRate, kSampleRate);
    testing::BasicModemHarness<RawBitCounter> harness(ui);
    harness.receiver.modem = harness.modem.get();
    harness.Feed(wav.samples.at(0));
    harness.FeedSilence(4.0);  // let the last burst finish
    for (const auto& burst : harness.receiver.bursts) {
      // Noise spreads the errors; a wrong table entry makes one position
      // wrong every time.
      EXPECT_LT(*std::max_element(burst.wrongSymbols.begin(), burst.wrongSymbols.end()),
                burst.symbols / hfdl::kScramblerLength / 2);
      EXPECT_LT(burst.wrongBits, burst.bits / 20);
    }
    return harness.receiver.frames;
  }

  testing::RecordingUiLink ui;
};

constexpr int kSquitterFcsOffset = 64;

TEST_F(Recordings, SquitterFromGroundStation3Decodes) {
  const auto frames = Decode("hfdl-squitter-gs3.wav");
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].bytes, testbench::FromHex(testbench::kRecordedSquitter));
  EXPECT_EQ(frames[0].burst.rateCode, 6);
  ASSERT_EQ(ui.modemStatus.size(), 2u);
  EXPECT_TRUE(ui.modemStatus[0].starts_with("TS(1) 300  bps 1.8 sec Interleaver FREQ ERR ")) << ui.modemStatus[0];
  EXPECT_EQ(ui.modemStatus[1], "Listening");
  EXPECT_EQ(frames[0].burst.statusLine, ui.modemStatus[0]);
}

// Besides the two MPDUs the recording opens with a squitter of the same
// station, which must pass its frame check.
TEST_F(Recordings, DownlinkAndUplinkMpdusDecode) {
  const auto frames = Decode("hfdl-downlink-uplink-gs3.wav");
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_TRUE(HfdlCrcCheck(frames[0].bytes, kSquitterFcsOffset));
  EXPECT_EQ(frames[1].bytes, testbench::FromHex(testbench::kRecordedAirMpdu));
  EXPECT_EQ(frames[2].bytes, testbench::FromHex(testbench::kRecordedGroundMpdu));
  for (const auto& frame : frames) EXPECT_EQ(frame.burst.rateCode, 6);
}

}  // namespace
}  // namespace talvir
