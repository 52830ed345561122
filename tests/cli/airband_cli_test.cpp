// --acars-freqs: its options, and the built programs end to end on the test
// bench's airband band.

#include <gtest/gtest.h>

#include <fstream>
#include <map>

#include "cli/cli_options.h"
#include "cli/program_run.h"
#include "outputs_json/schema_check.h"
#include "support/temp_dir.h"

namespace talvir {
namespace {

CliParseResult Parse(std::initializer_list<std::string_view> args) {
  const std::vector<std::string_view> list(args);
  return ParseCliOptions(list);
}

TEST(AirbandOptions, ChannelsInMhzFromAnIqBandWhoseCentreIsGiven) {
  const CliParseResult r = Parse({"--input", "-", "--iq-format", "cu8", "--iq-rate", "2400000", "--freq", "131000",
                                  "--acars-freqs", "131.525, 131.725,130.025"});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.options.channels.acarsFreqsMhz, (std::vector<double>{131.525, 131.725, 130.025}));
  // The sound channels carry only silence; the band has decoders of its own.
  Settings settings;
  ApplyCliOverrides(r.options, settings);
  EXPECT_EQ(settings.Get(&SettingsRecord::channelAMode), kChannelNone);
  EXPECT_EQ(settings.Get(&SettingsRecord::channelBMode), kChannelNone);

  const std::pair<std::vector<std::string_view>, const char*> refused[] = {
      {{"--input", "x", "--iq", "--freq", "131000", "--acars-freqs", "131.525,"}, "''"},
      {{"--input", "x", "--iq", "--freq", "131000", "--acars-freqs", "131525"}, "118 to 137"},
      {{"--input", "x", "--iq", "--freq", "131000", "--acars-freqs", "131.525,131.525"}, "twice"},
      {{"--input", "x.wav", "--freq", "131000", "--acars-freqs", "131.525"}, "--iq"},
      {{"--input", "x", "--iq", "--acars-freqs", "131.525"}, "--freq"},
      {{"--input", "x", "--iq", "--freq", "131000", "--iq-dial", "100", "--acars-freqs", "131.525"}, "--iq-dial"},
      {{"--input", "x", "--iq", "--freq", "131000", "--channel-b", "vhf", "--acars-freqs", "131.525"}, "--channel-b"},
      {{"--input", "x", "--iq", "--freq", "131000", "--freqs", "131010", "--acars-freqs", "131.525"}, "one of them"},
  };
  for (const auto& [args, reason] : refused) {
    const CliParseResult bad = ParseCliOptions(args);
    EXPECT_NE(bad.error.find(reason), std::string::npos) << bad.error;
  }
}

class AirbandProgramTest : public ::testing::Test {
 protected:
  void MakeBand() {
    const testing::ProgramRun made =
        testing::RunProgram(dir.path(), TALVIR_SIGNALGEN_PATH, "--airband-demo --quiet --output band.cs16");
    ASSERT_EQ(made.status, 0) << made.err;
  }
  testing::ProgramRun Cli(const std::string& args) { return testing::RunProgram(dir.path(), TALVIR_CLI_PATH, args); }

  testing::TempDir dir;
  const std::string band = "--input band.cs16 --iq-format cs16 --iq-rate 2400000 --freq 131000 ";
};

TEST_F(AirbandProgramTest, EveryChannelDecodesIntoTextAndRecordsThatNameIt) {
  MakeBand();
  const testing::ProgramRun text = Cli(band + "--acars-freqs 131.525,131.725,130.025,131.825 --summary");
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("Aircraft reg: .D-AIZA  [130.025 MHz]\nMessage label: 5Z Block id: 1  Msg. no: M01A "
                          "Flight id: LH0400\n"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.err.find("ACARS messages 8,"), std::string::npos) << text.err;

  // One channel listed: only its messages, under its index and frequency.
  const testing::ProgramRun json = Cli(band + "--acars-freqs 131.825 --output json:stdout --station-id XX-HOME");
  ASSERT_EQ(json.status, 0) << json.err;
  std::map<std::string, double> flights;
  for (const testing::Json& record : testing::ParseLines(json.out)) {
    EXPECT_EQ(testing::RecordMismatch(record), "") << record.dump();
    EXPECT_EQ(record.at("channel"), 0);
    flights[record.at("flight")] = record.at("freq");
  }
  EXPECT_EQ(flights, (std::map<std::string, double>{{"AF0012", 131.825}, {"AF0013", 131.825}}));
}

TEST_F(AirbandProgramTest, AChannelOutsideTheBandIsOneErrorLine) {
  std::ofstream(dir.path() / "band.cs16", std::ios::binary) << std::string(4000, '\0');
  const testing::ProgramRun run = Cli(band + "--acars-freqs 131.525,136.900");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err, "talvir-cli: 136.900 MHz lies outside the I/Q band, 129.807 MHz to 132.193 MHz "
                     "(--freq is the band's centre)\n");
}

}  // namespace
}  // namespace talvir
