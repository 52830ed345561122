// Bursts from the test bench's transmitter, through its channel, into the
// modem: every rate code must come back byte for byte, with its levels. And
// what a receiver also hears: a carrier on the burst's own frequency, samples
// that are not numbers. The modem must neither crash nor get stuck: after any
// of it, a burst still decodes. (Noise, silence and clipping, with traffic
// between them, are the soak's.)

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <string>
#include <vector>

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

// A tone of peak 1 has mean power 1/2.
double DbOfFullScaleTone(double power) { return 10.0 * std::log10(power / 0.5); }

// Two bursts 20 dB apart in the same noise, which lies in the HFDL channel
// (1440 Hz +-1 kHz), after seconds of noise alone. The meter's passband is
// flat within 0.6 dB up to 2 kHz and the burst's spectrum ends at 2.3 kHz;
// the noise is averaged over a second of blocks: half a dB covers both.
TEST(BurstLevels, BurstPowerAndNoiseFloorReadTheirKnownLevels) {
  constexpr double kSnrDb = 15.0;
  const auto frame = testing::RandomFrame(1, 7);
  std::vector<float> audio;
  double loudPower = 0.0;
  for (const float amplitude : {0.3f, 0.03f}) {
    const auto one = testbench::ModulateHfdlBurst(frame, 1, {.startSeconds = 3.0, .amplitude = amplitude});
    if (loudPower == 0.0) loudPower = testbench::ActivePower(one);
    audio.insert(audio.end(), one.begin(), one.end());
  }
  audio.resize(audio.size() + kSampleRate, 0.0f);
  const double noisePower = loudPower / 100.0 / std::pow(10.0, kSnrDb / 10.0);
  testbench::ChannelOptions channel;
  channel.snrDb = kSnrDb;
  channel.signalPower = loudPower / 100.0;  // the quiet burst's SNR
  channel.noiseLowHz = 440.0;
  channel.noiseHighHz = 2440.0;
  testing::ModemHarness harness;
  harness.Feed(testbench::ApplyChannel(audio, channel));

  ASSERT_EQ(harness.receiver.frames.size(), 2u);
  const BurstInfo& loud = harness.receiver.frames[0].burst;
  const BurstInfo& quiet = harness.receiver.frames[1].burst;
  EXPECT_NEAR(loud.signalLevelDb, DbOfFullScaleTone(loudPower + noisePower), 0.5);
  EXPECT_NEAR(quiet.signalLevelDb, DbOfFullScaleTone(loudPower / 100.0 + noisePower), 0.5);
  // The loud burst does not lift the floor the quiet one is measured against.
  for (const BurstInfo* burst : {&loud, &quiet}) EXPECT_NEAR(burst->noiseLevelDb, DbOfFullScaleTone(noisePower), 0.5);
}

constexpr double kMinutes = 2.0;
constexpr std::size_t kTotal = static_cast<std::size_t>(kMinutes * 60 * kSampleRate);

template <class Generate>
void FeedGenerated(testing::ModemHarness& harness, Generate generate) {
  std::vector<float> block(kBlockFrames);
  for (std::size_t at = 0; at < kTotal; at += kBlockFrames) {
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = generate(at + i);
    harness.modem->ModemFeedSamples(block);
  }
}

class Robustness : public ::testing::Test {
 protected:
  // Whatever came before, the modem is searching again within a burst's length
  // and decodes the next burst.
  void ExpectStillDecodes() {
    harness.FeedSilence(5.0);
    EXPECT_EQ(harness.modem->State(), ModemState::kSearching);
    harness.modem->SlotClockReset();  // keep the burst out of the squitter slot
    const std::size_t before = harness.receiver.frames.size();
    const auto frame = testing::RandomFrame(4, 11);
    harness.Feed(testbench::ModulateHfdlBurst(frame, 4, {.startSeconds = 0.2}));
    harness.FeedSilence(1.0);
    ASSERT_EQ(harness.receiver.frames.size(), before + 1);
    EXPECT_EQ(harness.receiver.frames.back().bytes, testing::Padded(frame, 4));

    // Every frame had its mode's size and was counted once.
    for (const auto& f : harness.receiver.frames)
      EXPECT_EQ(static_cast<int>(f.bytes.size()), hfdl::Rate(f.burst.rateCode).frameBytes);
    EXPECT_EQ(harness.modem->Counters()[FrameCounters::kAllFrames], static_cast<int>(harness.receiver.frames.size()));
    // Reports and "Listening" alternate.
    for (std::size_t i = 0; i < ui.modemStatus.size(); ++i)
      EXPECT_EQ(ui.modemStatus[i] == kListeningText, i % 2 == 1) << i << ": " << ui.modemStatus[i];
    // After silence the floor is not minus infinity, which no JSON holds.
    const BurstInfo& info = harness.receiver.frames.back().burst;
    EXPECT_TRUE(std::isfinite(info.noiseLevelDb));
    EXPECT_LT(info.noiseLevelDb, -100.0);
    const double a = testbench::HfdlBurstOptions{}.amplitude;
    EXPECT_NEAR(info.signalLevelDb, DbOfFullScaleTone(a * a / 2.0), 0.5);
  }

  testing::RecordingUiLink ui;
  testing::ModemHarness harness{ui};
};

TEST_F(Robustness, PureCarrierAt1440Hz) {
  FeedGenerated(harness, [](std::size_t n) {
    return 0.9f *
           static_cast<float>(std::sin(2 * std::numbers::pi * hfdl::kCarrierHz * static_cast<double>(n) / kSampleRate));
  });
  ExpectStillDecodes();
}

// Samples that are not numbers (a broken file or driver) are read as zero
// instead of poisoning the AGC for good.
TEST_F(Robustness, NonFiniteSamplesAreIgnored) {
  std::vector<float> bad(kBlockFrames, std::numeric_limits<float>::quiet_NaN());
  bad[5] = std::numeric_limits<float>::infinity();
  for (int i = 0; i < 10; ++i) harness.modem->ModemFeedSamples(bad);
  ExpectStillDecodes();
}

}  // namespace
}  // namespace talvir
