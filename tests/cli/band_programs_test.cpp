// Many channels in one run, the built programs end to end: two HF receivers
// on the two stereo channels, the HFDL channels of an SDR band, and the
// airband's ACARS channels (--acars-freqs).

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>

#include "audio/capture_sources.h"
#include "audio/input_source.h"
#include "outputs_json/schema_check.h"
#include "support/program_run.h"
#include "support/temp_dir.h"

namespace talvir {
namespace {

class HfdlChannelsTest : public ::testing::Test {
 protected:
  testing::ProgramRun Cli(const std::string& args) { return testing::RunProgram(dir.path(), TALVIR_CLI_PATH, args); }

  // The text blocks that follow each heading line, joined, heading by
  // heading.
  static std::map<std::string, std::string> ByHeading(const std::string& text) {
    std::map<std::string, std::string> blocks;
    std::string current;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      if (std::regex_match(line, std::regex(R"(\[(channel [AB]|[0-9.]+ kHz)\])"))) {
        current = line;
        continue;
      }
      blocks[current] += line + "\n";
    }
    return blocks;
  }

  // Aircraft labels come from the one shared aircraft list, which here
  // hears every aircraft on both channels: they are left out.
  static std::string WithoutAircraftLabels(const std::string& text) {
    return std::regex_replace(text, std::regex("AIR [A-Z0-9]+"), "AIR *");
  }

  testing::TempDir dir;
};

// The demo's HF channel on both sides of a stereo file: each receiver
// decodes all of it, as a run of one receiver does.
TEST_F(HfdlChannelsTest, TwoHfReceiversEachDecodeTheirChannelAsOneReceiverAlone) {
  std::string error;
  auto demo = OpenInputSource({.path = TALVIR_DEMO_WAV}, error);
  ASSERT_TRUE(demo) << error;
  std::vector<int16_t> samples = testing::ReadAllSamples(*demo->reader);
  for (std::size_t k = 0; k + 1 < samples.size(); k += 2) samples[k + 1] = samples[k];
  testing::WriteSoundFile(dir.path() / "both.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, kSampleRate, 2, samples);

  const std::string common = "--input both.wav --start-time 2026-12-07T10:59:00Z --summary --channel-a hf";
  const testing::ProgramRun one = Cli(common + " --channel-b none");
  const testing::ProgramRun two = Cli(common + " --channel-b hf");
  ASSERT_EQ(one.status, 0) << one.err;
  ASSERT_EQ(two.status, 0) << two.err;
  const auto blocks = ByHeading(two.out);
  ASSERT_EQ(blocks.size(), 2u) << two.out.substr(0, 400);
  EXPECT_EQ(WithoutAircraftLabels(blocks.at("[channel A]")), WithoutAircraftLabels(one.out));
  EXPECT_EQ(WithoutAircraftLabels(blocks.at("[channel B]")), WithoutAircraftLabels(one.out));

  std::smatch heard;
  ASSERT_TRUE(std::regex_search(one.err, heard, std::regex(R"(HFDL bursts heard (\d+))")));
  const int single = std::stoi(heard[1]);
  ASSERT_TRUE(std::regex_search(two.err, heard, std::regex(R"(HFDL bursts heard (\d+))")));
  EXPECT_GT(single, 10);
  EXPECT_EQ(std::stoi(heard[1]), 2 * single);
}

// talvir-signalgen --hfdl-band-demo, the band the window's pictures and the
// README's example decode: every channel heard under its own heading, each
// record with its channel's frequency.
TEST_F(HfdlChannelsTest, TheBandDemoDecodesEveryChannelUnderItsOwnFrequency) {
  const testing::ProgramRun made =
      testing::RunProgram(dir.path(), TALVIR_SIGNALGEN_PATH, "--hfdl-band-demo --quiet --output band.cs16");
  ASSERT_EQ(made.status, 0) << made.err;
  const std::string band = "--input band.cs16 --iq-format cs16 --iq-rate 96000 --freq 8950 --freqs ";
  const testing::ProgramRun run =
      Cli(band + "8912,8942,8977 --show spdu --output json:file:records.jsonl --verbose-status");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("frequency: 3 HFDL channels: 8912 kHz, 8942 kHz, 8977 kHz"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("squitter 8942 kHz:  GND"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("frames decoded 12, failed 0"), std::string::npos) << run.err;
  const auto blocks = ByHeading(run.out);
  ASSERT_EQ(blocks.size(), 3u) << run.out;
  // Each channel's first squitter names its own station.
  for (const auto& [heading, station] : {std::pair{"[8912 kHz]", "SHANNON - IRELAND"},
                                         {"[8942 kHz]", "REYKJAVIK - ICELAND"},
                                         {"[8977 kHz]", "RIVERHEAD - NEW YORK"}}) {
    ASSERT_EQ(blocks.count(heading), 1u) << heading;
    EXPECT_TRUE(blocks.at(heading).starts_with(std::string("[HF GROUND STATION CHANGE -> ") + station))
        << heading << "\n"
        << blocks.at(heading);
  }
  const std::string records = testing::ReadFile(dir.path() / "records.jsonl");
  for (const char* freq : {"\"freq\":8912000", "\"freq\":8942000", "\"freq\":8977000"})
    EXPECT_NE(records.find(freq), std::string::npos) << freq << "\n" << records;

  // A channel outside the band is refused before anything is decoded.
  const testing::ProgramRun outside = Cli(band + "8912,9000");
  EXPECT_EQ(outside.status, 2);
  EXPECT_NE(outside.err.find("9000 kHz lies outside the band, 8902 to 8998 kHz"), std::string::npos) << outside.err;
}

TEST(AirbandProgram, EveryChannelDecodesIntoTextAndRecordsThatNameItAndOutsideTheBandIsRefused) {
  testing::TempDir dir;
  const auto cli = [&](const std::string& channels) {
    return testing::RunProgram(dir.path(), TALVIR_CLI_PATH,
                               "--input band.cs16 --iq-format cs16 --iq-rate 2400000 --freq 131000 " + channels);
  };
  const testing::ProgramRun made =
      testing::RunProgram(dir.path(), TALVIR_SIGNALGEN_PATH, "--airband-demo --quiet --output band.cs16");
  ASSERT_EQ(made.status, 0) << made.err;
  const testing::ProgramRun text = cli("--acars-freqs 131.525,131.725,130.025,131.825 --summary");
  ASSERT_EQ(text.status, 0) << text.err;
  EXPECT_NE(text.out.find("Aircraft reg: .D-AIZA  [130.025 MHz]\nMessage label: 5Z Block id: 1  Msg. no: M01A "
                          "Flight id: LH0400\n"),
            std::string::npos)
      << text.out;
  EXPECT_NE(text.err.find("ACARS messages 8,"), std::string::npos) << text.err;

  // One channel listed: only its messages, under its index and frequency.
  const testing::ProgramRun json = cli("--acars-freqs 131.825 --output json:stdout --station-id XX-HOME");
  ASSERT_EQ(json.status, 0) << json.err;
  std::map<std::string, double> flights;
  for (const testing::Json& record : testing::ParseLines(json.out)) {
    EXPECT_EQ(testing::RecordMismatch(record), "") << record.dump();
    EXPECT_EQ(record.at("channel"), 0);
    flights[record.at("flight")] = record.at("freq");
  }
  EXPECT_EQ(flights, (std::map<std::string, double>{{"AF0012", 131.825}, {"AF0013", 131.825}}));

  const testing::ProgramRun outside = cli("--acars-freqs 131.525,136.900");
  EXPECT_EQ(outside.status, 2);
  EXPECT_EQ(outside.err,
            "talvir-cli: 136.900 MHz lies outside the I/Q band, 129.807 MHz to 132.193 MHz "
            "(--freq is the band's centre)\n");
}

}  // namespace
}  // namespace talvir
