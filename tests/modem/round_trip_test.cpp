// Bursts from the test bench's transmitter, through its channel, into the
// modem: every rate code must come back byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "modem/burst_report.h"
#include "modem/frame_counters.h"
#include "modem_harness.h"
#include "support/recording_ui_link.h"
#include "testbench/hf_channel.h"
#include "testbench/hfdl_modulator.h"

namespace talvir {
namespace {

struct RoundTripCase {
  int rateCode;
  double carrierOffsetHz;
};

std::string Name(const ::testing::TestParamInfo<RoundTripCase>& info) {
  const double f = info.param.carrierOffsetHz;
  return "code" + std::to_string(info.param.rateCode) + (f < 0 ? "_minus" : "_plus") +
         std::to_string(static_cast<int>(f < 0 ? -f : f)) + "Hz";
}

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, BurstAt30DbDecodesToTheSentBytes) {
  const auto [code, offsetHz] = GetParam();
  testing::RecordingUiLink ui;
  testing::ModemHarness harness{ui};
  const auto frame = testing::RandomFrame(code, static_cast<uint32_t>(17 * code + 3));

  // An arbitrary start, not aligned with blocks or symbols.
  auto audio = testbench::ModulateHfdlBurst(
      frame, code, {.startSeconds = 0.7313 + 0.0417 * code, .carrierOffsetHz = offsetHz, .carrierPhase = 0.4 * code});
  audio.resize(audio.size() + kSampleRate, 0.0f);
  testbench::ChannelOptions channel;
  channel.snrDb = 30.0;
  channel.seed = static_cast<uint64_t>(code + 100);
  harness.Feed(testbench::ApplyChannel(audio, channel));

  ASSERT_EQ(harness.receiver.frames.size(), 1u);
  const auto& got = harness.receiver.frames[0];
  EXPECT_EQ(got.bytes, testing::Padded(frame, code));
  EXPECT_EQ(got.burst.rateCode, code);

  // Status: the burst report with the mode's long name, then "Listening".
  ASSERT_EQ(ui.modemStatus.size(), 2u);
  const std::string& report = ui.modemStatus[0];
  EXPECT_NE(report.find(std::string(" ") + std::string(ModeName(code)) + " FREQ ERR "), std::string::npos) << report;
  EXPECT_EQ(got.burst.statusLine, report);
  EXPECT_EQ(ui.modemStatus[1], kListeningText);
  // The reported carrier error is the offset we sent, within a few hertz.
  const auto at = report.find("FREQ ERR ") + 9;
  EXPECT_NEAR(std::stod(report.substr(at)), offsetHz, 3.0) << report;

  const auto counters = harness.modem->Counters();
  const int pair = FrameCounters::PairFor(code, got.burst.currentSlot);
  FrameCounters::Values expected{};
  expected[FrameCounters::kAllFrames] = 1;
  expected[static_cast<std::size_t>(pair)] = 1;
  EXPECT_EQ(counters, expected);

  const auto view = harness.modem->Constellation();
  EXPECT_EQ(view.modeText, hfdl::Rate(code).shortText);
  // BPSK and QPSK data show in the ring (negative or off the real axis);
  // 8PSK bursts leave the training outputs, all near +0.1.
  const auto dataLike = std::count_if(view.points.begin(), view.points.end(), [](Complex z) {
    return z.real() < 0.0f || std::abs(z.imag()) > 0.5f * std::abs(z.real());
  });
  if (hfdl::Rate(code).modulation == hfdl::Modulation::k8psk)
    EXPECT_EQ(dataLike, 0);
  else
    EXPECT_GT(dataLike, ConstellationRing::kSize / 5);
  // One training block, then one block per data block, then the frame.
  EXPECT_EQ(std::count(ui.constellationUpdates.begin(), ui.constellationUpdates.end(), 0),
            hfdl::Rate(code).dataBlocks + 1);
  EXPECT_EQ(ui.constellationUpdates.back(), 1);
  EXPECT_EQ(ui.statisticsUpdates, 1);
}

std::vector<RoundTripCase> AllCases() {
  std::vector<RoundTripCase> cases;
  for (int code = 0; code < hfdl::kRateCodes; ++code)
    for (double offset : {-60.0, 0.0, 60.0}) cases.push_back({code, offset});
  return cases;
}

INSTANTIATE_TEST_SUITE_P(AllRateCodes, RoundTrip, ::testing::ValuesIn(AllCases()), Name);

// Slot 0 is the last 2.46 s of the 32 s frame, from t = 29.54 s; after a
// squitter's reset it begins 29.59 s later.
constexpr double kSlotZeroStart = 29.54;
constexpr double kSlotZeroAfterReset = 29.6;

// A burst starting at the beginning of slot 0, with or without a squitter
// having reset the clock first.
std::vector<testing::RecordingFrameReceiver::Frame> DecodeInSlotZero(int sentCode, bool squitterFirst,
                                                                     std::vector<uint8_t>& frame) {
  testing::ModemHarness harness;
  if (squitterFirst) harness.modem->SlotClockReset();
  harness.FeedSilence(squitterFirst ? kSlotZeroAfterReset : kSlotZeroStart);
  frame = testing::RandomFrame(sentCode, 99);
  harness.Feed(
      testbench::ApplyChannel(testbench::ModulateHfdlBurst(frame, sentCode, {.startSeconds = 0.01}), {.snrDb = 30.0}));
  harness.FeedSilence(1.0);
  return harness.receiver.frames;
}

// Ground stations send squitters in slot 0, so once a squitter has set the
// clock every burst found there is taken for a 300 bps squitter: a real one
// decodes, a 1200 bps one is mistaken for one.
TEST(SquitterSlot, AfterASquitterBurstsInSlotZeroAreCode6) {
  for (const int sentCode : {6, 2}) {
    std::vector<uint8_t> frame;
    const auto frames = DecodeInSlotZero(sentCode, true, frame);
    ASSERT_EQ(frames.size(), 1u) << sentCode;
    EXPECT_EQ(frames[0].burst.rateCode, 6);
    if (sentCode != 6) continue;
    EXPECT_EQ(frames[0].bytes, testing::Padded(frame, 6));
    EXPECT_EQ(frames[0].burst.detectedSlotIndex, 13);
    EXPECT_TRUE(frames[0].burst.statusLine.starts_with("TS(0) 300  bps 1.8 sec Interleaver"))
        << frames[0].burst.statusLine;
  }
}

// Before any squitter, slot 0 of the free-running clock is an arbitrary
// 2.46 s: the mode sequence decides there as anywhere else.
TEST(SquitterSlot, UnsynchronisedClockLetsAnyRateThroughInSlotZero) {
  std::vector<uint8_t> frame;
  const auto frames = DecodeInSlotZero(0, false, frame);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(frames[0].burst.rateCode, 0);
  EXPECT_EQ(frames[0].burst.detectedSlotIndex, 13);
  EXPECT_EQ(frames[0].bytes, testing::Padded(frame, 0));
}

// Another station's steady carrier 6 dB above the burst, in the band: it is
// notched before it can take the AGC or the burst's frequency estimate.
TEST(Interference, BurstUnderAStrongerSteadyCarrierDecodes) {
  testing::ModemHarness harness;
  const auto frame = testing::RandomFrame(0, 5);
  const testbench::HfdlBurstOptions burst{.startSeconds = 2.0};
  auto audio = testbench::ModulateHfdlBurst(frame, 0, burst);
  audio.resize(audio.size() + kSampleRate / 2, 0.0f);
  testbench::ChannelOptions channel;
  channel.snrDb = 20.0;
  channel.signalPower = static_cast<double>(burst.amplitude * burst.amplitude) / 2.0;
  channel.carrier = testbench::CarrierInterferer{.frequencyHz = 1700.0, .levelDb = 6.0, .driftHzPerSecond = 0.1};
  harness.Feed(testbench::ApplyChannel(audio, channel));
  ASSERT_EQ(harness.receiver.frames.size(), 1u);
  EXPECT_EQ(harness.receiver.frames[0].bytes, testing::Padded(frame, 0));
  EXPECT_EQ(harness.modem->Notches().ActiveNotches(), 1);
}

}  // namespace
}  // namespace talvir
