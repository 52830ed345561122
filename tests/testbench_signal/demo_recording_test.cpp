// The demo recording is what a new user decodes first: talvir-signalgen must
// write it the same every time, and the VHF receiver must get its messages
// back exactly (talvir-cli's demo tests decode its HFDL bursts, every one).
// Rendered once here: it is the slowest thing the suite does.

#include <gtest/gtest.h>

#include <vector>

#include "signalgen_run.h"
#include "testbench/demo_scenario.h"
#include "testbench/scenario_renderer.h"
#include "testbench/wav_file.h"
#include "vhf/vhf_demodulator.h"

namespace talvir::testbench {
namespace {

using Bytes = std::vector<uint8_t>;

class MessageLog : public VhfMessageSink {
 public:
  std::vector<Bytes> blocks;
  void PrintVhfAcars(std::span<const uint8_t> block, const VhfBlockQuality&) override {
    blocks.emplace_back(block.begin(), block.end());
  }
};

TEST(DemoRecording, SignalgenWritesItTheSameAndTheVhfReceiverDecodesIt) {
  const Scenario scenario = DemoScenario(1);
  const RenderedScenario audio = RenderScenario(scenario);
  ASSERT_EQ(audio.clippedSamples, 0u);

  // The tool, in its own process with the default seed, writes the same bytes
  // as a valid stereo WAV.
  testing::TempDir dir;
  const auto file = dir.path() / "a" / "demo.wav";
  ASSERT_EQ(Signalgen(dir, "--demo --quiet --output '" + file.string() + "'").status, 0);
  const auto image = EncodeWav(audio.left, audio.right);
  EXPECT_EQ(ReadFile(file), std::string(image.begin(), image.end()));
  const auto wav = ReadWavFile(file);
  EXPECT_EQ(wav.sampleRate, 48000);
  ASSERT_EQ(wav.channels, 2);
  const double seconds = static_cast<double>(wav.samples[0].size()) / 48000.0;
  EXPECT_GT(seconds, 90.0);
  EXPECT_LT(seconds, 110.0);
  // What the receiver decodes below is what the file holds.

  MessageLog messages;
  VhfDemodulator vhf(messages);
  const std::span<const float> right(audio.right);
  for (std::size_t at = 0; at + kBlockFrames <= right.size(); at += kBlockFrames)
    vhf.ProcessBlock(right.subspan(at, kBlockFrames));

  ASSERT_EQ(messages.blocks.size(), scenario.vhfMessages.size());
  for (std::size_t i = 0; i < messages.blocks.size(); ++i) {
    // Handed over from SOH through ETX or ETB: the block without BCS and DEL.
    const Bytes& sent = scenario.vhfMessages[i].block;
    EXPECT_EQ(messages.blocks[i], Bytes(sent.begin(), sent.end() - 3)) << "message " << i;
  }
}

}  // namespace
}  // namespace talvir::testbench
