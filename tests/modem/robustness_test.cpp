// What a receiver also hears: a carrier on the burst's own frequency, samples
// that are not numbers. The modem must neither crash nor get stuck: after any
// of it, a burst still decodes. (Noise, silence and clipping, with traffic
// between them, are the soak's.)

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "modem/frame_counters.h"
#include "modem_harness.h"
#include "support/recording_ui_link.h"
#include "testbench/hfdl_modulator.h"

namespace talvir {
namespace {

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
  void ExpectStillDecodes();

  testing::RecordingUiLink ui;
  testing::ModemHarness harness{ui};
};

void Robustness::ExpectStillDecodes() {
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
}

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
