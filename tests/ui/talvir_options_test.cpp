#include "ui/talvir_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/talvir_main.h"

namespace talvir {
namespace {

TalvirParseResult Parse(std::vector<std::string_view> args) { return ParseTalvirOptions(args); }

// The input, channel and record options are talvir-cli's, with its checks.
TEST(TalvirOptions, ReadsEveryOptionAndTheCommandLineProgramsInputsChannelsAndRecords) {
  const TalvirParseResult good =
      Parse({"--input", "demo.wav", "--config-dir", "/tmp/x", "--screenshot", "a.png", "--seconds", "45",
             "--map-screenshot", "m.png", "--dde-port", "18650"});
  ASSERT_EQ(good.error, "");
  EXPECT_EQ(good.options.input, "demo.wav");
  EXPECT_EQ(good.options.configDir, "/tmp/x");
  EXPECT_EQ(good.options.screenshot, "a.png");
  EXPECT_EQ(good.options.mapScreenshot, "m.png");
  EXPECT_EQ(good.options.feedPort, 18650);
  EXPECT_EQ(good.options.screenshotSeconds, 45);
  EXPECT_EQ(Parse({}).options.feedPort, 8650);
  EXPECT_FALSE(Parse({"--dde-port", "off"}).options.feedPort.has_value());
  EXPECT_EQ(Parse({}).options.action, TalvirOptions::Action::kRun);
  EXPECT_EQ(Parse({"-h"}).options.action, TalvirOptions::Action::kHelp);

  // The channel's dial follows --iq-dial. (--output, --station-id and --freq
  // are the window's records test.)
  const auto records = Parse({"--freq", "8966", "--sbs-port", "0.0.0.0:30003", "--input", "rec.cu8", "--iq-format",
                              "cu8", "--iq-rate", "1200000", "--iq-dial", "11000"});
  ASSERT_EQ(records.error, "");
  EXPECT_TRUE(records.options.inputOptions.Iq());
  EXPECT_EQ((std::pair{records.options.records.sbsHost, records.options.records.sbsPort}),
            (std::pair{std::string("0.0.0.0"), std::optional(30003)}));
  EXPECT_EQ(records.options.inputOptions.ChannelKhz(records.options.records.frequencyKhz), 8977.0);
  const TalvirParseResult receiver =
      Parse({"--device", "soapy:driver=rtlsdr", "--freq", "8950", "--freqs", "8912,8942", "--sdr-gain", "30"});
  ASSERT_EQ(receiver.error, "");
  EXPECT_EQ(receiver.options.channels.hfdlChannelsKhz, (std::vector<double>{8912.0, 8942.0}));
  const InputSpec spec = receiver.options.Input();
  ASSERT_TRUE(spec.sdr.has_value());
  EXPECT_TRUE(spec.band);
  EXPECT_EQ(spec.sdr->centreHz, 8950000.0);
  EXPECT_EQ(spec.sdr->gainDb, 30.0);

  const std::pair<std::vector<std::string_view>, const char*> refused[] = {
      {{"--dde-port", "0"}, "--dde-port: '0' is not a port number (1 to 65535) or off"},
      {{"--input"}, "--input needs a value"},
      {{"--seconds", "0"}, "--seconds: must be a whole number from 1 to 3600, not '0'"},
      {{"--seconds", "5s"}, "--seconds: must be a whole number from 1 to 3600, not '5s'"},
      {{"--fast"}, "unknown option '--fast'"},
      {{"--input", "a.wav", "--iq-dial", "100"}, "add --iq"},
      {{"--sbs-port", "http"}, "--sbs-port: 'http' is not a port number (1 to 65535), or ADDRESS:PORT"},
      {{"--device", "USB Audio"}, "the sound card is chosen in the window"},
      {{"--input", "band.wav", "--freq", "8950", "--freqs", "8912"}, "it needs --iq or --iq-format"},
      {{"--device", "soapy:", "--freqs", "8912"}, "needs --freq KHZ"},
      {{"--input", "b", "--iq", "--freq", "131000", "--acars-freqs", "131.525,99"}, "118 to 137"},
  };
  for (const auto& [args, says] : refused) EXPECT_NE(Parse(args).error.find(says), std::string::npos) << says;
}

TEST(TalvirOptions, HelpNamesEveryOptionAndBadInputExitsTwoBeforeAnyWindow) {
  for (const char* option : {"--input FILE", "--iq-format FMT", "--config-dir DIR", "--screenshot PNG",
                             "--map-screenshot PNG", "--dde-port PORT", "--seconds N", "--version", "--output TARGET",
                             "--station-id NAME", "--freq KHZ", "--sbs-port PORT"}) {
    EXPECT_NE(TalvirHelpText().find(option), std::string_view::npos) << option;
  }
  for (std::string option : {"--input", "--config-dir"}) {
    std::string program = "talvir";
    std::string missing = "/nonexistent/recording.wav";
    char* argv[] = {program.data(), option.data(), missing.data(), nullptr};
    int argc = 3;
    EXPECT_EQ(RunTalvir(argc, argv), 2) << option;
  }
}

}  // namespace
}  // namespace talvir
