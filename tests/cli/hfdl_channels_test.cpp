// Several HFDL channels in one run: two HF receivers on the two stereo
// channels, and the channels of an SDR band.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "cli/program_run.h"
#include "support/temp_dir.h"
#include "testbench/frames/squitter_builder.h"
#include "testbench/hfdl_band_scenario.h"

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
  SF_INFO info{};
  SNDFILE* demo = sf_open(TALVIR_DEMO_WAV, SFM_READ, &info);
  ASSERT_NE(demo, nullptr);
  std::vector<short> samples(static_cast<std::size_t>(info.frames * info.channels));
  sf_readf_short(demo, samples.data(), info.frames);
  sf_close(demo);
  for (std::size_t k = 0; k + 1 < samples.size(); k += 2) samples[k + 1] = samples[k];
  SF_INFO out = info;
  SNDFILE* both = sf_open((dir.path() / "both.wav").c_str(), SFM_WRITE, &out);
  sf_writef_short(both, samples.data(), info.frames);
  sf_close(both);

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

// An SDR recording with three ground stations' squitters on three channels:
// every squitter under its channel's heading, every record with its
// channel's frequency.
TEST_F(HfdlChannelsTest, AnIqBandDecodesEveryChannelUnderItsOwnFrequency) {
  testbench::HfdlBandScenario scenario{.centreKhz = 8950.0, .sampleRate = 96000.0, .seed = 3};
  const double dials[] = {8912.0, 8942.0, 8977.0};
  for (int c = 0; c < 3; ++c) {
    testbench::SquitterFields fields;
    fields.stations[0] = {.id = 2 + c, .utcSynced = true, .frequencyMask = 1};
    fields.frameIndex = 100 + c;
    testbench::HfdlBandChannel channel{.dialKhz = dials[c], .snrDb = 20.0 + 5.0 * c,
                                       .fading = testbench::FadingPreset::kQuiet};
    channel.bursts.push_back({0.4 + 0.3 * c, 6, testbench::BuildSquitter(fields)});
    scenario.channels.push_back(std::move(channel));
  }
  const auto band = testbench::RenderHfdlBand(scenario);
  std::ofstream(dir.path() / "band.cf32", std::ios::binary)
      .write(reinterpret_cast<const char*>(band.data()), static_cast<std::streamsize>(band.size() * sizeof band[0]));

  const testing::ProgramRun run =
      Cli("--input band.cf32 --iq-format cf32 --iq-rate 96000 --freq 8950 --freqs 8912,8942,8977 --show spdu "
          "--start-time 2026-12-07T10:59:00Z --output json:file:records.jsonl --verbose-status");
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("frequency: 3 HFDL channels: 8912 kHz, 8942 kHz, 8977 kHz"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("squitter 8942 kHz:  GND"), std::string::npos) << run.err;
  const auto blocks = ByHeading(run.out);
  ASSERT_EQ(blocks.size(), 3u) << run.out;
  for (int c = 0; c < 3; ++c) {
    char heading[32];
    std::snprintf(heading, sizeof heading, "[%g kHz]", dials[c]);
    ASSERT_EQ(blocks.count(heading), 1u) << heading;
    EXPECT_NE(blocks.at(heading).find(" GND "), std::string::npos) << heading;
  }
  const std::string records = testing::ReadFile(dir.path() / "records.jsonl");
  for (const char* freq : {"\"freq\":8912000", "\"freq\":8942000", "\"freq\":8977000"})
    EXPECT_NE(records.find(freq), std::string::npos) << freq << "\n" << records;

  // A channel outside the band is refused before anything is decoded.
  const testing::ProgramRun outside =
      Cli("--input band.cf32 --iq-format cf32 --iq-rate 96000 --freq 8950 --freqs 8912,9000");
  EXPECT_EQ(outside.status, 2);
  EXPECT_NE(outside.err.find("9000 kHz lies outside the band, 8902 to 8998 kHz"), std::string::npos) << outside.err;
}

}  // namespace
}  // namespace talvir
