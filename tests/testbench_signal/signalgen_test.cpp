// talvir-signalgen as a user runs it, and the demo recording it writes, which
// is what a new user decodes first: it must be written the same every time,
// and the VHF receiver must get its messages back exactly (talvir-cli's demo
// tests decode its HFDL bursts, every one). Rendered once here: it is the
// slowest thing the suite does.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "support/program_run.h"
#include "support/temp_dir.h"
#include "testbench/demo_scenario.h"
#include "testbench/scenario_renderer.h"
#include "testbench/wav_file.h"
#include "vhf/vhf_signals.h"

namespace talvir::testbench {
namespace {

using testing::ReadFile;

class SignalgenTest : public ::testing::Test {
 protected:
  testing::ProgramRun Signalgen(const std::string& arguments) {
    return testing::RunProgram(dir.path(), TALVIR_SIGNALGEN, arguments);
  }
  testing::TempDir dir;
};

TEST_F(SignalgenTest, ScenarioFileToMonoWavWhoseNoiseFollowsTheSeed) {
  std::ofstream(dir.path() / "s.json")
      << R"({"hf": {"snr_db": 10}, "bursts": [{"slot": 1, "rate": 4, "hex": "0102"}]})";
  const auto render = [&](const std::string& seed, const std::string& name) {
    return Signalgen("--scenario s.json --seed " + seed + " --output " + name);
  };
  const testing::ProgramRun run = render("5", "a.wav");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("mono"), std::string::npos) << run.err;
  EXPECT_EQ(ReadWavFile(dir.path() / "a.wav").channels, 1);
  ASSERT_EQ(render("5", "b.wav").status, 0);
  ASSERT_EQ(render("6", "c.wav").status, 0);
  EXPECT_EQ(ReadFile(dir.path() / "a.wav"), ReadFile(dir.path() / "b.wav"));
  EXPECT_NE(ReadFile(dir.path() / "a.wav"), ReadFile(dir.path() / "c.wav"));
}

TEST_F(SignalgenTest, BadScenarioOrUsageGivesOneLineAndStatusTwo) {
  std::ofstream(dir.path() / "bad.json") << R"({"bursts": [{"time": 1, "rate": 9, "hex": "00"}]})";
  const testing::ProgramRun run = Signalgen("--scenario bad.json --output x.wav");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "talvir-signalgen: bad.json: bursts[0].rate: must be 0..7\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "x.wav"));
  EXPECT_NE(Signalgen("--scenario none.json --output x.wav").err.find("none.json: cannot be read"), std::string::npos);

  for (const char* arguments :
       {"", "--demo", "--demo --scenario x.json --output y.wav", "--output y.wav", "--demo --output y.wav --seed abc",
        "--demo --output y.wav --loud", "--demo --output", "--hfdl-band-demo --output band.WAV"}) {
    const testing::ProgramRun usage = Signalgen(arguments);
    EXPECT_EQ(usage.status, 2) << arguments;
    EXPECT_EQ(std::count(usage.err.begin(), usage.err.end(), '\n'), 1) << arguments << ": " << usage.err;
  }
  EXPECT_EQ(Signalgen("--help").status, 0);
}

TEST_F(SignalgenTest, WritesTheDemoTheSameAndTheVhfReceiverDecodesIt) {
  const Scenario scenario = DemoScenario(1);
  const RenderedScenario audio = RenderScenario(scenario);
  ASSERT_EQ(audio.clippedSamples, 0u);

  // The tool, in its own process with the default seed, writes the same bytes
  // as a valid stereo WAV, into a folder it makes.
  ASSERT_EQ(Signalgen("--demo --quiet --output a/demo.wav").status, 0);
  const auto file = dir.path() / "a" / "demo.wav";
  const auto image = EncodeWav(audio.left, audio.right);
  EXPECT_EQ(ReadFile(file), std::string(image.begin(), image.end()));
  const auto wav = ReadWavFile(file);
  EXPECT_EQ(wav.sampleRate, 48000);
  ASSERT_EQ(wav.channels, 2);
  const double seconds = static_cast<double>(wav.samples[0].size()) / 48000.0;
  EXPECT_GT(seconds, 90.0);
  EXPECT_LT(seconds, 110.0);

  // What the receiver decodes is what the file holds.
  const auto blocks = testing::Demodulate(audio.right);
  ASSERT_EQ(blocks.size(), scenario.vhfMessages.size());
  for (std::size_t i = 0; i < blocks.size(); ++i)
    EXPECT_EQ(blocks[i], testing::DeliveredPart(scenario.vhfMessages[i].block)) << "message " << i;
}

}  // namespace
}  // namespace talvir::testbench
