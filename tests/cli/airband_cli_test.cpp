// --acars-freqs end to end: the built programs on the test bench's airband
// band.

#include <gtest/gtest.h>

#include <map>

#include "cli/program_run.h"
#include "outputs_json/schema_check.h"
#include "support/temp_dir.h"

namespace talvir {
namespace {

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
