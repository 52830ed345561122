// talvir-signalgen as a user runs it; the demo is checked with its decoding.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "signalgen_run.h"
#include "testbench/wav_file.h"

namespace talvir::testbench {
namespace {

TEST(Signalgen, ScenarioFileToMonoWavWhoseNoiseFollowsTheSeed) {
  testing::TempDir dir;
  std::ofstream(dir.path() / "s.json")
      << R"({"hf": {"snr_db": 10}, "bursts": [{"slot": 1, "rate": 4, "hex": "0102"}]})";
  const auto render = [&](const std::string& seed, const std::string& name) {
    return Signalgen(dir, "--scenario '" + (dir.path() / "s.json").string() + "' --seed " + seed + " --output '" +
                              (dir.path() / name).string() + "'");
  };
  const ToolRun run = render("5", "a.wav");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.errors.find("mono"), std::string::npos) << run.errors;
  EXPECT_EQ(ReadWavFile(dir.path() / "a.wav").channels, 1);
  ASSERT_EQ(render("5", "b.wav").status, 0);
  ASSERT_EQ(render("6", "c.wav").status, 0);
  EXPECT_EQ(ReadFile(dir.path() / "a.wav"), ReadFile(dir.path() / "b.wav"));
  EXPECT_NE(ReadFile(dir.path() / "a.wav"), ReadFile(dir.path() / "c.wav"));
}

TEST(Signalgen, BadScenarioGivesOneLineAndStatusTwo) {
  testing::TempDir dir;
  const auto file = dir.path() / "bad.json";
  std::ofstream(file) << R"({"bursts": [{"time": 1, "rate": 9, "hex": "00"}]})";
  const ToolRun run =
      Signalgen(dir, "--scenario '" + file.string() + "' --output '" + (dir.path() / "x.wav").string() + "'");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors, "talvir-signalgen: " + file.string() + ": bursts[0].rate: must be 0..7\n");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "x.wav"));

  const ToolRun missing = Signalgen(dir, "--scenario '" + (dir.path() / "none.json").string() + "' --output x.wav");
  EXPECT_EQ(missing.status, 2);
  EXPECT_NE(missing.errors.find("none.json: cannot be read"), std::string::npos) << missing.errors;
}

TEST(Signalgen, UsageErrorsAndHelp) {
  testing::TempDir dir;
  for (const char* arguments :
       {"", "--demo", "--demo --scenario x.json --output y.wav", "--output y.wav", "--demo --output y.wav --seed abc",
        "--demo --output y.wav --loud", "--demo --output", "--hfdl-band-demo --output band.WAV"}) {
    const ToolRun run = Signalgen(dir, arguments);
    EXPECT_EQ(run.status, 2) << arguments;
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << arguments << ": " << run.errors;
  }
  EXPECT_EQ(Signalgen(dir, "--help").status, 0);
}

}  // namespace
}  // namespace talvir::testbench
