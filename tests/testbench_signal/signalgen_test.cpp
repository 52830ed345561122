// talvir-signalgen as a user runs it.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "support/temp_dir.h"
#include "testbench/wav_file.h"

namespace talvir::testbench {
namespace {

struct ToolRun {
  int status = -1;
  std::string errors;
};

ToolRun Signalgen(const testing::TempDir& dir, const std::string& arguments) {
  const auto errorFile = dir.path() / "stderr.txt";
  const std::string command =
      std::string(TALVIR_SIGNALGEN) + " " + arguments + " > /dev/null 2> '" + errorFile.string() + "'";
  const int raw = std::system(command.c_str());
  ToolRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  std::ifstream in(errorFile);
  run.errors.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return run;
}

std::string Contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(Signalgen, DemoIsAStereoWavAndTheSameForTheSameSeed) {
  testing::TempDir dir;
  ASSERT_EQ(Signalgen(dir, "--demo --quiet --output '" + (dir.path() / "a" / "demo.wav").string() + "'").status, 0);
  ASSERT_EQ(Signalgen(dir, "--demo --quiet --seed 1 --output '" + (dir.path() / "b.wav").string() + "'").status, 0);

  const auto audio = ReadWavFile(dir.path() / "a" / "demo.wav");
  EXPECT_EQ(audio.sampleRate, 48000);
  ASSERT_EQ(audio.channels, 2);
  const double seconds = static_cast<double>(audio.samples[0].size()) / 48000.0;
  EXPECT_GT(seconds, 90.0);
  EXPECT_LT(seconds, 110.0);
  // Both channels carry signal.
  for (const auto& channel : audio.samples) {
    double power = 0.0;
    for (float x : channel) power += static_cast<double>(x) * static_cast<double>(x);
    EXPECT_GT(power / static_cast<double>(channel.size()), 1e-4);
  }
  EXPECT_EQ(Contents(dir.path() / "a" / "demo.wav"), Contents(dir.path() / "b.wav"));
}

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
  EXPECT_EQ(Contents(dir.path() / "a.wav"), Contents(dir.path() / "b.wav"));
  EXPECT_NE(Contents(dir.path() / "a.wav"), Contents(dir.path() / "c.wav"));
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
        "--demo --output y.wav --loud", "--demo --output"}) {
    const ToolRun run = Signalgen(dir, arguments);
    EXPECT_EQ(run.status, 2) << arguments;
    EXPECT_EQ(std::count(run.errors.begin(), run.errors.end(), '\n'), 1) << arguments << ": " << run.errors;
  }
  EXPECT_EQ(Signalgen(dir, "--help").status, 0);
}

}  // namespace
}  // namespace talvir::testbench
