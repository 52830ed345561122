// The demo recording is what a new user decodes first: talvir-signalgen must
// write it the same every time, and the receivers must get its traffic back
// through the fading, noise and carrier offset it carries. Rendered once here:
// it is the slowest thing the suite does.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "modem/hfdl_modem.h"
#include "signalgen_run.h"
#include "testbench/demo_scenario.h"
#include "testbench/frames/burst_padding.h"
#include "testbench/frames/demo_traffic.h"
#include "testbench/scenario_renderer.h"
#include "testbench/wav_file.h"
#include "vhf/vhf_demodulator.h"

namespace talvir::testbench {
namespace {

using Bytes = std::vector<uint8_t>;

// Stands in for the protocol decoder: keeps every frame and, like a good
// squitter does, restarts the slot clock.
class FrameLog : public HfdlFrameReceiver {
 public:
  std::vector<Bytes> frames;
  std::vector<Bytes> squitters;
  SlotClockControl* clock = nullptr;

  bool ReceiveFrame(std::span<const uint8_t> frame, const BurstInfo&) override {
    frames.emplace_back(frame.begin(), frame.end());
    if (std::find(squitters.begin(), squitters.end(), frames.back()) != squitters.end()) clock->SlotClockReset();
    return true;
  }
};

class MessageLog : public VhfMessageSink {
 public:
  std::vector<Bytes> blocks;
  void PrintVhfAcars(std::span<const uint8_t> block, const VhfBlockQuality&) override { blocks.emplace_back(block.begin(), block.end()); }
};

TEST(DemoRecording, SignalgenWritesItTheSameAndTheReceiversDecodeIt) {
  const Scenario scenario = DemoScenario(1);
  const RenderedScenario audio = RenderScenario(scenario);
  ASSERT_EQ(audio.clippedSamples, 0u);

  // The tool, in its own process with the default seed, writes the same bytes
  // as a valid stereo WAV.
  testing::TempDir dir;
  const auto file = dir.path() / "a" / "demo.wav";
  ASSERT_EQ(Signalgen(dir, "--demo --quiet --output '" + file.string() + "'").status, 0);
  const auto image = EncodeWav(audio.left, audio.right);
  EXPECT_EQ(Contents(file), std::string(image.begin(), image.end()));
  const auto wav = ReadWavFile(file);
  EXPECT_EQ(wav.sampleRate, 48000);
  ASSERT_EQ(wav.channels, 2);
  const double seconds = static_cast<double>(wav.samples[0].size()) / 48000.0;
  EXPECT_GT(seconds, 90.0);
  EXPECT_LT(seconds, 110.0);
  // What the receivers decode below is what the file holds, on both channels.

  FrameLog frames;
  auto modem = std::make_unique<HfdlModem>(frames);
  modem->Reset();
  frames.clock = modem.get();
  // Every frame's slot 0 holds the ground station's squitter.
  for (const auto& burst : BuildDemoTraffic().bursts) {
    if (burst.slot == 0) frames.squitters.push_back(PadToBurst(burst.frame, burst.rateCode));
  }
  ASSERT_EQ(frames.squitters.size(), 3u);
  MessageLog messages;
  VhfDemodulator vhf(messages);
  const std::span<const float> left(audio.left);
  const std::span<const float> right(audio.right);
  for (std::size_t at = 0; at + kBlockFrames <= left.size(); at += kBlockFrames) {
    modem->ModemFeedSamples(left.subspan(at, kBlockFrames));
    vhf.ProcessBlock(right.subspan(at, kBlockFrames));
  }

  int decoded = 0;
  for (const auto& burst : scenario.bursts) {
    const Bytes sent = PadToBurst(burst.frame, burst.rateCode);
    const bool found = std::find(frames.frames.begin(), frames.frames.end(), sent) != frames.frames.end();
    decoded += found;
    const bool squitter = std::find(frames.squitters.begin(), frames.squitters.end(), sent) != frames.squitters.end();
    EXPECT_TRUE(found || !squitter) << "squitter at " << burst.startSeconds << " s";
  }
  // Moderate fading may take a high-rate burst now and then, as on the air.
  EXPECT_GE(decoded, static_cast<int>(scenario.bursts.size()) - 2) << decoded << " of " << scenario.bursts.size();

  ASSERT_EQ(messages.blocks.size(), scenario.vhfMessages.size());
  for (std::size_t i = 0; i < messages.blocks.size(); ++i) {
    // Handed over from SOH through ETX or ETB: the block without BCS and DEL.
    const Bytes& sent = scenario.vhfMessages[i].block;
    EXPECT_EQ(messages.blocks[i], Bytes(sent.begin(), sent.end() - 3)) << "message " << i;
  }
}

}  // namespace
}  // namespace talvir::testbench
