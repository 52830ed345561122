#include "ui/talvir_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/talvir_main.h"

namespace talvir {
namespace {

TalvirParseResult Parse(std::vector<std::string_view> args) { return ParseTalvirOptions(args); }

TEST(TalvirOptions, ReadsEveryOptionAndRefusesBadOnesPlainly) {
  const TalvirParseResult good =
      Parse({"--input", "demo.wav", "--config-dir", "/tmp/x", "--screenshot", "a.png", "--seconds", "45",
             "--map-screenshot", "m.png", "--dde-port", "18650"});
  ASSERT_EQ(good.error, "");
  EXPECT_EQ(good.options.input, "demo.wav");
  EXPECT_EQ(good.options.configDir, "/tmp/x");
  EXPECT_EQ(good.options.screenshot, "a.png");
  EXPECT_EQ(good.options.mapScreenshot, "m.png");
  EXPECT_EQ(good.options.feedPort, 18650);
  EXPECT_EQ(Parse({}).options.feedPort, 8650);
  EXPECT_FALSE(Parse({"--dde-port", "off"}).options.feedPort.has_value());
  EXPECT_EQ(Parse({"--dde-port", "0"}).error, "--dde-port: '0' is not a port number (1 to 65535) or off");
  EXPECT_EQ(good.options.screenshotSeconds, 45);
  EXPECT_EQ(Parse({}).options.action, TalvirOptions::Action::kRun);
  EXPECT_EQ(Parse({"-h"}).options.action, TalvirOptions::Action::kHelp);

  EXPECT_EQ(Parse({"--input"}).error, "--input needs a value");
  EXPECT_EQ(Parse({"--seconds", "0"}).error, "--seconds: must be a whole number from 1 to 3600, not '0'");
  EXPECT_EQ(Parse({"--seconds", "5s"}).error, "--seconds: must be a whole number from 1 to 3600, not '5s'");
  EXPECT_EQ(Parse({"--fast"}).error, "unknown option '--fast'");

  // The input options are the command-line program's.
  const auto iq = Parse({"--input", "rec.cs16", "--iq-format", "cs16", "--iq-rate", "12000"});
  ASSERT_EQ(iq.error, "");
  EXPECT_EQ(iq.options.inputOptions.Spec("rec.cs16").iqRate, 12000.0);
  EXPECT_TRUE(iq.options.inputOptions.Iq());
  EXPECT_NE(Parse({"--input", "a.wav", "--iq-dial", "100"}).error.find("add --iq"), std::string::npos);

  // So are the record outputs; the channel's dial follows --iq-dial.
  const auto records = Parse({"--output", "json:udp:127.0.0.1:5556", "--output", "json:file:x.jsonl", "--station-id",
                              "XX-HOME", "--freq", "8966", "--sbs-port", "0.0.0.0:30003", "--input", "rec.cu8",
                              "--iq-format", "cu8", "--iq-rate", "1200000", "--iq-dial", "11000"});
  ASSERT_EQ(records.error, "");
  ASSERT_EQ(records.options.records.outputs.size(), 2u);
  EXPECT_EQ(records.options.records.stationId, "XX-HOME");
  EXPECT_EQ(records.options.records.sbsHost, "0.0.0.0");
  EXPECT_EQ(records.options.inputOptions.ChannelKhz(records.options.records.frequencyKhz), 8977.0);
  EXPECT_EQ(Parse({"--sbs-port", "http"}).error, "--sbs-port: 'http' is not a port number (1 to 65535), or ADDRESS:PORT");
  EXPECT_EQ(Parse({"--freq", "-1"}).error, "--freq: '-1' is not a positive number of kHz");
  EXPECT_EQ(Parse({"--output"}).error, "--output needs a value");
}

TEST(TalvirOptions, HelpNamesEveryOptionAndBadInputExitsTwoBeforeAnyWindow) {
  for (const char* option : {"--input FILE", "--iq-format FMT", "--config-dir DIR", "--screenshot PNG", "--map-screenshot PNG", "--dde-port PORT", "--seconds N", "--version", "--output TARGET", "--station-id NAME", "--freq KHZ", "--sbs-port PORT"}) {
    EXPECT_NE(TalvirHelpText().find(option), std::string_view::npos) << option;
  }
  std::string program = "talvir";
  std::string input = "--input";
  std::string missing = "/nonexistent/recording.wav";
  char* argv[] = {program.data(), input.data(), missing.data(), nullptr};
  int argc = 3;
  EXPECT_EQ(RunTalvir(argc, argv), 2);
  std::string configDir = "--config-dir";
  char* argv2[] = {program.data(), configDir.data(), missing.data(), nullptr};
  EXPECT_EQ(RunTalvir(argc, argv2), 2);
}

}  // namespace
}  // namespace talvir
