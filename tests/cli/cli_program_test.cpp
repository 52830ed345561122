// Runs the built talvir-cli as a user would.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "audio/capture_sources.h"
#include "support/temp_dir.h"

namespace talvir {
namespace {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class CliProgramTest : public ::testing::Test {
 protected:
  CliRun Cli(const std::string& args, const std::string& stdinFile = "/dev/null") {
    const auto out = dir.path() / "out.txt";
    const auto err = dir.path() / "err.txt";
    const std::string command = "cd '" + dir.path().string() + "' && '" TALVIR_CLI_PATH "' " + args + " <'" +
                                stdinFile + "' >'" + out.string() + "' 2>'" + err.string() + "'";
    const int raw = std::system(command.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
  }
  void WriteWav(const char* name, int rate, std::size_t frames) {
    std::vector<int16_t> samples(2 * frames);
    for (std::size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<int16_t>(i * 37);
    testing::WriteSoundFile(dir.path() / name, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 2, samples);
  }
  static int Lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

  testing::TempDir dir;
};

TEST_F(CliProgramTest, DecodesAStereoFileToItsEndAndNeverRewritesTheSettings) {
  std::filesystem::create_directories(dir.path() / "cfg" / "configs");
  const auto ini = dir.path() / "cfg" / "configs" / "talvir.ini";
  std::ofstream(ini, std::ios::binary) << std::string(356, '\0');
  WriteWav("x.wav", 48000, 2 * 2500 + 1);
  const CliRun run = Cli("--input x.wav --config-dir cfg --channel-a hf --channel-b vhf --show all --verbose-status");
  EXPECT_EQ(run.status, 0) << run.err;
  // Three blocks of the file, the last padded, then ten blocks of silence.
  EXPECT_NE(run.err.find("end of input: 13 blocks"), std::string::npos) << run.err;
  EXPECT_EQ(ReadFile(ini), std::string(356, '\0')) << "read with --show all on top, never rewritten";
}

TEST_F(CliProgramTest, DecodesRawPcmFromStdin) {
  const auto raw = dir.path() / "raw.pcm";
  std::ofstream(raw, std::ios::binary) << std::string(4 * 2500 * 4, '\x01');
  const CliRun run = Cli("--input - --verbose-status", raw.string());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("end of input: 14 blocks"), std::string::npos) << run.err;
}

TEST_F(CliProgramTest, BadInputGivesOneErrorLineAndStatusTwo) {
  WriteWav("slow.wav", 44100, 100);
  std::ofstream(dir.path() / "notes.txt") << "this is not audio\n";
  for (const char* args : {"--input slow.wav", "--input missing.wav", "--input notes.txt",
                           "--device 'No Such Card'", "--channel-a uhf", "--show everything", "--bogus",
                           "--input x.wav --config-dir nowhere"}) {
    SCOPED_TRACE(args);
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(Lines(run.err), 1) << run.err;
    EXPECT_TRUE(run.err.starts_with("talvir-cli: ")) << run.err;
    EXPECT_EQ(run.out, "");
  }
  EXPECT_NE(Cli("--input slow.wav").err.find("44100"), std::string::npos);
}

TEST_F(CliProgramTest, HelpVersionAndDeviceListWorkWithoutASoundCard) {
  const CliRun help = Cli("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* option : {"--input", "--device", "--list-devices", "--channel-a", "--channel-b", "--show",
                             "--realtime", "--config-dir", "--logs", "--verbose-status", "--version",
                             "never writes the settings file"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option;
  }
  const CliRun version = Cli("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(version.out.starts_with("talvir-cli ")) << version.out;
  const CliRun list = Cli("--list-devices");
  EXPECT_EQ(list.status, 0);
  EXPECT_TRUE(list.out.starts_with("No capture devices found.") || list.out.starts_with("Capture devices"));
  EXPECT_EQ(list.err, "") << "the sound back ends' probing stays quiet";
}

}  // namespace
}  // namespace talvir
