// The second hearing of a burst whose frame check failed: its decoded data
// taken as known, the channel followed at every symbol.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "modem/burst_encoder.h"
#include "modem/frame_counters.h"
#include "modem_harness.h"
#include "testbench/hf_channel.h"
#include "testbench/hfdl_modulator.h"

namespace talvir {
namespace {

// Tells the modem whether a frame is the one sent: a frame check that
// catches every error, or (checked = false) a receiver that cannot tell.
struct CheckingReceiver : testing::RecordingFrameReceiver {
  bool FrameIntact(std::span<const uint8_t> frame) const override {
    ++checks;
    return !checked || std::equal(frame.begin(), frame.end(), sent.begin(), sent.end());
  }
  mutable int checks = 0;
  bool checked = true;
  std::vector<uint8_t> sent;
};

std::vector<float> FadedBurst(const std::vector<uint8_t>& frame, int code, double snrDb, uint32_t seed) {
  auto audio = testbench::ModulateHfdlBurst(frame, code, {.startSeconds = 0.137, .carrierPhase = 1.1});
  audio.resize(audio.size() + kSampleRate / 2, 0.0f);
  testbench::ChannelOptions channel;
  channel.snrDb = snrDb;
  channel.fading = testbench::FadingPreset::kModerate;
  channel.seed = seed;
  channel.signalPower = 0.3 * 0.3 / 2.0;
  return testbench::ApplyChannel(audio, channel);
}

// Moderate fading: at +6 dB this burst's first decode is wrong and its
// second hearing gives the sent bytes; at +4 dB both hearings fail too, and
// the third cheapest detour from the last decode is the frame sent. A frame
// check that always fails leaves the first decode to be handed on, after
// the first decode, two hearings and eight detours were checked.
TEST(DecidedPass, RecoversAFadedBurstTheFirstDecodeLosesAndHandsOnOneFrame) {
  constexpr int kCode = 2;
  constexpr uint32_t kSeed = 1;
  const auto frame = testing::Padded(testing::RandomFrame(kCode, kSeed), kCode);
  auto audio = FadedBurst(frame, kCode, 6.0, kSeed);
  const auto run = [&](bool checked, const std::vector<uint8_t>& sent) {
    auto harness = std::make_unique<testing::BasicModemHarness<CheckingReceiver>>();
    harness->receiver.checked = checked;
    harness->receiver.sent = sent;
    harness->Feed(audio);
    return harness;
  };

  const auto once = run(false, frame);
  ASSERT_EQ(once->receiver.frames.size(), 1u);
  const auto& first = once->receiver.frames[0].bytes;
  EXPECT_NE(first, frame);
  EXPECT_EQ(once->receiver.checks, 1);

  const auto again = run(true, frame);
  ASSERT_EQ(again->receiver.frames.size(), 1u);
  EXPECT_EQ(again->receiver.frames[0].bytes, frame);
  EXPECT_EQ(again->receiver.checks, 2);
  EXPECT_EQ(again->modem->Counters()[FrameCounters::kAllFrames], 1);

  const auto never = run(true, {});
  ASSERT_EQ(never->receiver.frames.size(), 1u);
  EXPECT_EQ(never->receiver.frames[0].bytes, first);
  EXPECT_EQ(never->receiver.checks, 11);

  audio = FadedBurst(frame, kCode, 4.0, kSeed);
  const auto detour = run(true, frame);
  ASSERT_EQ(detour->receiver.frames.size(), 1u);
  EXPECT_EQ(detour->receiver.frames[0].bytes, frame);
  EXPECT_EQ(detour->receiver.checks, 6);
}

// The receiver's encoder gives the transmitter's data symbols, every rate code.
TEST(DecidedPass, EncoderGivesTheTransmittersDataSymbols) {
  BurstEncoder encoder;
  for (int code = 0; code < hfdl::kRateCodes; ++code) {
    const auto frame = testing::RandomFrame(code, static_cast<uint32_t>(code + 5));
    const auto sent = testbench::BurstSymbols(frame, code, 0);
    encoder.Encode(testbench::FrameBits(frame, code), code);
    const auto symbols = encoder.Symbols();
    ASSERT_EQ(symbols.size(), static_cast<std::size_t>(hfdl::Rate(code).dataBlocks * hfdl::kDataSymbols)) << code;
    for (std::size_t j = 0; j < symbols.size(); ++j) {
      const auto block = j / hfdl::kDataSymbols;
      const auto at = hfdl::kFirstDataSymbol + block * hfdl::kBlockSymbols + j % hfdl::kDataSymbols;
      ASSERT_EQ(symbols[j], sent[at]) << code << " " << j;
    }
  }
}

}  // namespace
}  // namespace talvir
