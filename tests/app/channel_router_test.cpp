#include "app/channel_router.h"

#include <gtest/gtest.h>

#include <cmath>

#include "app/sample_conversion.h"
#include "recording_sinks.h"
#include "support/recording_ui_link.h"

namespace talvir {
namespace {

using testing::RecordingSink;
using testing::SinkCall;

TEST(SampleConversion, ReadsNegativeSamplesAsOnesComplement) {
  const struct {
    uint16_t sample;
    float value;
    bool negative;
  } cases[] = {{0x7FFF, 32767.0F / 32768.0F, false},
               {0x8000, -32767.0F / 32768.0F, true},  // never -1.0
               {0xFFFF, 0.0F, true},                  // -1 becomes -0.0
               {0xFFFE, -1.0F / 32768.0F, true},
               {0x0000, 0.0F, false},
               {0x0001, 1.0F / 32768.0F, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(ConvertSample(c.sample), c.value) << std::hex << c.sample;
    EXPECT_EQ(std::signbit(ConvertSample(c.sample)), c.negative) << std::hex << c.sample;
  }
}

// Left samples 0x0100 (1/128), right samples 0x0040 (1/512).
constexpr float kA = 256.0F / 32768.0F;
constexpr float kB = 64.0F / 32768.0F;

CaptureBlock TwoToneBlock() {
  CaptureBlock block{};
  for (std::size_t k = 0; k < kBlockFrames; ++k) {
    block[4 * k + 1] = 0x01;
    block[4 * k + 2] = 0x40;
  }
  return block;
}

bool AllEqual(const std::vector<float>& samples, float value) {
  return samples.size() == kBlockFrames &&
         std::all_of(samples.begin(), samples.end(), [&](float s) { return s == value; });
}

class ChannelRouterTest : public ::testing::Test {
 protected:
  std::vector<SinkCall> calls;
  RecordingSink hf1{"hf1", calls};
  RecordingSink hf2{"hf2", calls};
  RecordingSink vhfA{"vhfA", calls};
  RecordingSink vhfB{"vhfB", calls};
  Settings settings;
  testing::RecordingUiLink ui;
};

// The decoder a channel in this mode feeds: the first channel set to HF
// feeds the first modem, the second the other.
const char* Decoder(int mode, const char* vhf, int& hfSeen) {
  if (mode == kChannelVhf) return vhf;
  if (mode != kChannelHf) return nullptr;
  return hfSeen++ == 0 ? "hf1" : "hf2";
}

TEST_F(ChannelRouterTest, EveryChannelAndSpectrumCombination) {
  ChannelRouter router(settings, {{&hf1, &hf2}, &vhfA, &vhfB}, ui);
  const CaptureBlock block = TwoToneBlock();
  for (int modeA = 0; modeA <= 2; ++modeA) {
    for (int modeB = 0; modeB <= 2; ++modeB) {
      for (int spectrum = 0; spectrum <= 3; ++spectrum) {
        SCOPED_TRACE(::testing::Message() << "A " << modeA << " B " << modeB << " spectrum " << spectrum);
        calls.clear();
        ui.spectrum.clear();
        settings.Set(&SettingsRecord::channelAMode, modeA);
        settings.Set(&SettingsRecord::channelBMode, modeB);
        settings.Set(&SettingsRecord::spectrumChannel, spectrum);
        router.ProcessBlock(block);

        // A before B, each to its own decoder, never summed.
        std::vector<std::string> expected;
        int hfSeen = 0;
        if (const char* d = Decoder(modeA, "vhfA", hfSeen)) expected.push_back(d);
        if (const char* d = Decoder(modeB, "vhfB", hfSeen)) expected.push_back(d);
        ASSERT_EQ(calls.size(), expected.size());
        for (std::size_t i = 0; i < calls.size(); ++i) {
          EXPECT_EQ(calls[i].sink, expected[i]);
          const bool fromA = i == 0 && modeA != kChannelNone;
          EXPECT_TRUE(AllEqual(calls[i].samples, fromA ? kA : kB)) << calls[i].sink;
        }

        const bool postA = spectrum == kSpectrumChannelA && modeA != kChannelNone;
        const bool postB = spectrum == kSpectrumChannelB && modeB != kChannelNone;
        const bool postSum = spectrum == kSpectrumSum;
        ASSERT_EQ(ui.spectrum.size(), postA || postB || postSum ? 1U : 0U);
        if (ui.spectrum.empty()) continue;
        EXPECT_EQ(ui.spectrum[0].channel, postB ? 1 : 0);
        EXPECT_TRUE(AllEqual(ui.spectrum[0].samples, postA ? kA : postB ? kB : kA + kB));
      }
    }
  }
}

// The first modem follows the one HF channel; the sum starts afresh every
// block.
TEST_F(ChannelRouterTest, ModesAreReadAgainForEveryBlockTheSumDoesNotCarryAndMissingDecodersAreSkipped) {
  ChannelRouter router(settings, {{&hf1, &hf2}, &vhfA, &vhfB}, ui);
  settings.Set(&SettingsRecord::channelAMode, kChannelHf);
  settings.Set(&SettingsRecord::spectrumChannel, kSpectrumSum);
  router.ProcessBlock(TwoToneBlock());
  settings.Set(&SettingsRecord::channelAMode, kChannelNone);
  settings.Set(&SettingsRecord::channelBMode, kChannelHf);
  router.ProcessBlock(TwoToneBlock());
  ASSERT_EQ(calls.size(), 2U);
  EXPECT_EQ(calls[0].sink, "hf1");
  EXPECT_EQ(calls[1].sink, "hf1");
  EXPECT_TRUE(AllEqual(calls[0].samples, kA));
  EXPECT_TRUE(AllEqual(calls[1].samples, kB));
  ASSERT_EQ(ui.spectrum.size(), 2U);
  EXPECT_TRUE(AllEqual(ui.spectrum[1].samples, kA + kB));

  // Missing decoders are skipped.
  ChannelRouter none(settings, {}, ui);
  settings.Set(&SettingsRecord::channelAMode, kChannelVhf);
  settings.Set(&SettingsRecord::spectrumChannel, kSpectrumChannelB);
  none.ProcessBlock(TwoToneBlock());
  EXPECT_EQ(calls.size(), 2U);
  ASSERT_EQ(ui.spectrum.size(), 3U);
  EXPECT_TRUE(AllEqual(ui.spectrum[2].samples, kB));
}

}  // namespace
}  // namespace talvir
