// A live SDR receiver (--device soapy:...) and --realtime on a band: the
// options and their checks, and what a user sees when no receiver is there.

#include <gtest/gtest.h>

#include "audio/sdr_device.h"
#include "cli/cli_options.h"
#include "cli/program_run.h"
#include "outputs/publishing/dde_protocol.h"
#include "support/temp_dir.h"

namespace talvir {
namespace {

CliParseResult Parse(std::vector<std::string_view> args) { return ParseCliOptions(args); }

TEST(SdrDeviceOptions, AReceiverIsTunedToFreqAndFeedsTheI_QPaths) {
  // One HF channel: the receiver's I/Q goes the way of an I/Q recording.
  const CliParseResult one = Parse({"--device", "soapy:driver=rtlsdr,serial=0001", "--freq", "8927"});
  ASSERT_EQ(one.error, "");
  const InputSpec spec = one.options.Input();
  ASSERT_TRUE(spec.sdr.has_value());
  EXPECT_TRUE(spec.iq);
  EXPECT_FALSE(spec.ReadsStdin());
  EXPECT_EQ(spec.sdr->args, "driver=rtlsdr,serial=0001");
  EXPECT_EQ(spec.sdr->centreHz, 8927000.0);
  EXPECT_EQ(spec.sdr->rate, kDefaultSdrRate);
  EXPECT_FALSE(spec.sdr->gainDb.has_value());
  EXPECT_FALSE(one.options.device.has_value()) << "a receiver is not a sound card";
  // Live: the feed is on as for a sound card.
  EXPECT_EQ(one.options.FeedPort(), kDefaultDdePort);

  const CliParseResult band = Parse({"--device", "soapy:", "--freq", "8950", "--freqs", "8927,8977", "--sdr-rate",
                                     "192000", "--sdr-gain", "32.5"});
  ASSERT_EQ(band.error, "");
  EXPECT_TRUE(band.options.Input().band);
  EXPECT_EQ(band.options.Input().sdr->args, "");
  EXPECT_EQ(band.options.Input().sdr->rate, 192000.0);
  EXPECT_EQ(band.options.Input().sdr->gainDb, 32.5);
  EXPECT_FALSE(Parse({"--device", "soapy:", "--freq", "8950", "--sdr-gain", "auto"}).options.Input().sdr->gainDb);

  // The airband's usual rate unless told otherwise.
  const CliParseResult airband = Parse({"--device", "soapy:driver=rtlsdr", "--freq", "131000", "--acars-freqs",
                                        "131.525,131.725"});
  ASSERT_EQ(airband.error, "");
  EXPECT_EQ(airband.options.Input().sdr->rate, kDefaultAirbandSdrRate);
  // A sound card keeps its name.
  EXPECT_EQ(Parse({"--device", "USB Audio"}).options.device, "USB Audio");
}

TEST(SdrDeviceOptions, WhatDoesNotFitAReceiverIsRefusedWithTheReason) {
  const std::pair<std::vector<std::string_view>, const char*> refused[] = {
      {{"--device", "soapy:driver=rtlsdr"}, "needs --freq KHZ: where to tune the receiver"},
      {{"--device", "soapy:", "--freq", "8927", "--input", "x.wav"}, "exclude each other"},
      {{"--device", "soapy:", "--freq", "8927", "--iq-format", "cu8"}, "describe --input"},
      {{"--device", "soapy:", "--freq", "8927", "--iq-rate", "250000"}, "--sdr-rate"},
      {{"--device", "soapy:", "--freq", "8927", "--realtime"}, "its own pace"},
      {{"--sdr-rate", "250000"}, "give --device soapy:ARGS"},
      {{"--input", "x", "--iq", "--sdr-gain", "20"}, "give --device soapy:ARGS"},
      {{"--device", "soapy:", "--freq", "8927", "--sdr-rate", "-1"}, "not a positive number"},
      {{"--device", "soapy:", "--freq", "8927", "--sdr-gain", "loud"}, "not a gain in dB or auto"},
  };
  for (const auto& [args, reason] : refused) {
    const CliParseResult bad = Parse(args);
    EXPECT_NE(bad.error.find(reason), std::string::npos) << args.front() << ": " << bad.error;
  }
  // --iq-dial moves the one channel within the receiver's band, away from
  // its centre's spur.
  EXPECT_EQ(Parse({"--device", "soapy:", "--freq", "8920", "--iq-dial", "7000"}).options.Input().iqDialHz, 7000.0);
}

TEST(SdrDeviceOptions, ABandRecordingMayBePacedAsItWasRecorded) {
  const CliParseResult paced = Parse({"--input", "band.cf32", "--iq-format", "cf32", "--iq-rate", "96000", "--freq",
                                      "8950", "--freqs", "8927", "--realtime"});
  EXPECT_EQ(paced.error, "");
  EXPECT_TRUE(paced.options.realtime);
}

// With no receiver (and here no SoapySDR module at all) the program says so
// in one line and exits as for any unusable input.
TEST(SdrDeviceProgram, NoDeviceFoundIsOneClearErrorAndStatusTwo) {
  testing::TempDir dir;
  for (const std::string extra : {"", "--freqs 8927,8942 ", "--acars-freqs 131.525 "}) {
    const std::string freq = extra.find("acars") != std::string::npos ? "131000" : "8935";
    const testing::ProgramRun run = testing::RunProgram(
        dir.path(), TALVIR_CLI_PATH, "--device soapy:driver=nosuchradio --freq " + freq + " " + extra);
    EXPECT_EQ(run.status, 2) << extra;
    EXPECT_EQ(run.err.rfind(SdrDevicesSupported() ? "talvir-cli: no SDR device matches soapy:driver=nosuchradio"
                                                  : "talvir-cli: this build of TALVIR has no SDR device support",
                            0),
              0u)
        << run.err;
    EXPECT_EQ(run.out, "");
  }
}

}  // namespace
}  // namespace talvir
