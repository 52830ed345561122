#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include "audio/sdr_device.h"
#include "outputs/publishing/dde_protocol.h"

namespace talvir {
namespace {

// What a decode shows by default, and the details shown only on request.
constexpr Settings::IntField kTraffic[] = {
    &SettingsRecord::showSpdu,   &SettingsRecord::showMpdu,   &SettingsRecord::showLpdu,  &SettingsRecord::showBdu,
    &SettingsRecord::showHfnpdu, &SettingsRecord::showVAcars, &SettingsRecord::showHAcars};
constexpr Settings::IntField kDetails[] = {&SettingsRecord::showPreamble, &SettingsRecord::showHex,
                                           &SettingsRecord::verbose};

CliParseResult Parse(std::vector<std::string_view> args) { return ParseCliOptions(args); }

void ExpectShown(const Settings& settings, bool details) {
  for (auto field : kTraffic) EXPECT_EQ(settings.Get(field), 1);
  for (auto field : kDetails) EXPECT_EQ(settings.Get(field), details ? 1 : 0);
}

// What the program runs show (the actions, the outputs, --freq and
// --station-id in the records) is left to them.
TEST(CliOptions, ReadsEveryOptionInBothSpellings) {
  const CliParseResult r = Parse({"--input", "x.wav", "--channel-a=vhf", "--channel-b", "hf", "--show",
                                  "spdu, mpdu ,vacars", "--realtime", "--config-dir=/tmp", "--output=json:file:x"});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.options.channelAMode, kChannelVhf);
  EXPECT_EQ(r.options.channelBMode, kChannelHf);
  EXPECT_EQ(r.options.shown->size(), 3U) << "blanks after commas";
  EXPECT_TRUE(r.options.realtime);
  EXPECT_EQ(r.options.configDir, std::filesystem::path("/tmp"));
  EXPECT_FALSE(r.options.records.JsonOnStdout());
  EXPECT_FALSE(r.options.ReadsStdin());
  EXPECT_TRUE(Parse({"--input", "-"}).options.ReadsStdin());
  const RecordOutputOptions sbs = Parse({"--sbs-port", "30003"}).options.records;
  EXPECT_EQ((std::pair{sbs.sbsHost, sbs.sbsPort}), (std::pair{std::string("127.0.0.1"), std::optional(30003)}));
}

// Those a run of the program checks end to end are left to it.
TEST(CliOptions, RefusesBadCommandLinesWithAReason) {
  const std::pair<std::vector<std::string_view>, const char*> refused[] = {
      {{"--realtime=yes"}, "takes no value"},
      {{"--input", "x", "--iq=yes"}, "takes no value"},
      {{"--input", "a.wav", "--device", "USB"}, "exclude each other"},
      {{"--input"}, "needs a value"},
      {{"--input="}, "needs a file name"},
      {{"--output", "json:tcp:host"}, "HOST:PORT"},
      {{"--freq", "8977kHz"}, "'8977kHz'"},
      {{"--freq", "-5"}, "positive"},
      {{"--sbs-port", "0"}, "'0'"},
      {{"--station-id="}, "needs a name"},
      {{"--show", ""}, "an empty item"},
      {{"--show", "mpdu,"}, "an empty item"},
      {{"--show", ",mpdu"}, "an empty item"},
      {{"--show", "mpdu, ,spdu"}, "an empty item"},
      {{"--start-time", "2026-12-07T11:00:00Z"}, "needs --input"},
      {{"--input", "x", "--iq-format", "cs8"}, "'cs8'"},
      {{"--input", "x", "--iq-format", "cs16", "--iq-rate", "0"}, "positive"},
      {{"--input", "x", "--iq", "--iq-dial", "1k"}, "'1k'"},
      {{"--input", "udp:1", "--udp-channels", "3"}, "1 or 2"},
      {{"--iq"}, "give it"},
      {{"--input", "x.wav", "--iq-rate", "8000"}, "add --iq"},
      {{"--input", "x.wav", "--udp-channels", "2"}, "udp:PORT"},
      {{"--input", "udp:1", "--realtime"}, "own pace"},
      {{"--input", "x", "--iq", "--channel-b", "vhf"}, "HF only"},
      // Many channels of an I/Q band.
      {{"--input", "x", "--iq", "--freq", "131000", "--acars-freqs", "131.525,"}, "''"},
      {{"--input", "x", "--iq", "--freq", "131000", "--acars-freqs", "131525"}, "118 to 137"},
      {{"--input", "x", "--iq", "--freq", "131000", "--acars-freqs", "131.525,131.525"}, "twice"},
      {{"--input", "x.wav", "--freq", "131000", "--acars-freqs", "131.525"}, "--iq"},
      {{"--input", "x", "--iq", "--acars-freqs", "131.525"}, "--freq"},
      {{"--input", "x", "--iq", "--freq", "131000", "--iq-dial", "100", "--acars-freqs", "131.525"}, "--iq-dial"},
      {{"--input", "x", "--iq", "--freq", "131000", "--channel-b", "vhf", "--acars-freqs", "131.525"}, "--channel-b"},
      {{"--input", "x", "--iq", "--freq", "131000", "--freqs", "131010", "--acars-freqs", "131.525"}, "one of them"},
      // An SDR receiver.
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
  for (const auto& [args, says] : refused) {
    const std::string error = ParseCliOptions(args).error;
    EXPECT_NE(error.find(says), std::string::npos) << args.front() << ": '" << error << "'";
  }
}

TEST(CliOptions, OverridesChangeOnlyWhatTheFlagsName) {
  Settings settings;
  settings.Set(&SettingsRecord::settingsLoaded, 1);
  settings.Set(&SettingsRecord::showHex, 1);
  settings.Set(&SettingsRecord::channelBMode, kChannelVhf);
  settings.SetText(&SettingsRecord::soundCardName, "Old card");
  ApplyCliOverrides(Parse({"--channel-a", "none"}).options, settings);
  EXPECT_EQ(settings.Get(&SettingsRecord::channelAMode), kChannelNone);
  EXPECT_EQ(settings.Get(&SettingsRecord::channelBMode), kChannelVhf);
  EXPECT_EQ(settings.Get(&SettingsRecord::showHex), 1);
  EXPECT_EQ(settings.Get(&SettingsRecord::showMpdu), 0) << "a settings file's choice stands";
  EXPECT_EQ(settings.Text(&SettingsRecord::soundCardName), "Old card");
  EXPECT_EQ(settings.Get(&SettingsRecord::hfdlLogging), 0);

  ApplyCliOverrides(Parse({"--show", "mpdu,vacars", "--device", "USB Audio CODEC", "--logs"}).options, settings);
  EXPECT_EQ(settings.Get(&SettingsRecord::showMpdu), 1);
  EXPECT_EQ(settings.Get(&SettingsRecord::showVAcars), 1);
  EXPECT_EQ(settings.Get(&SettingsRecord::showHex), 0) << "--show lists everything shown";
  EXPECT_EQ(settings.Text(&SettingsRecord::soundCardName), "USB Audio CODEC");
  EXPECT_EQ(settings.Get(&SettingsRecord::hfdlLogging), 1);
  EXPECT_EQ(settings.Get(&SettingsRecord::ostraleLogging), 1);
  ApplyCliOverrides(Parse({"--show", "hex, all"}).options, settings);
  ExpectShown(settings, true);

  // Without a settings file the decoded traffic is shown; naming one
  // channel HF takes HF from the other.
  Settings defaults;
  ApplyCliOverrides(Parse({"--channel-b", "hf"}).options, defaults);
  ExpectShown(defaults, false);
  EXPECT_EQ(defaults.Get(&SettingsRecord::channelAMode), kChannelNone);
  EXPECT_EQ(defaults.Get(&SettingsRecord::channelBMode), kChannelHf);
}

TEST(CliOptions, StartTimesAreUtcInIso8601) {
  constexpr std::time_t k20261207T110000 = 1796641200;
  for (const char* text : {"2026-12-07T11:00:00Z", "2026-12-07T11:00:00", "2026-12-07 11:00:00", "2026-12-07T11:00Z",
                           "2026-12-07T11:00:00+00:00"}) {
    EXPECT_EQ(ParseUtcTime(text), k20261207T110000) << text;
  }
  for (const char* text : {"", "2026-12-07", "2026-12-07T11", "2026-13-01T00:00:00Z", "2026-02-29T00:00:00Z",
                           "2026-12-07T24:00:00Z", "2026-12-07T11:00:00+01:00", "2026-12-07T11:00:00Zjunk"}) {
    EXPECT_FALSE(ParseUtcTime(text).has_value()) << text;
  }
  EXPECT_EQ(Parse({"--input", "x.wav", "--start-time", "2026-12-07T11:00:00Z"}).options.startTime, k20261207T110000);
}

// Live audio (a sound card, a pipe, UDP, a receiver) gets the feed on its
// default port; a file decoded at full speed only when asked.
TEST(CliOptions, WhereTheFeedListens) {
  const std::pair<std::vector<std::string_view>, std::optional<int>> cases[] = {
      {{}, kDefaultDdePort},
      {{"--input", "-"}, kDefaultDdePort},
      {{"--input", "udp:7355"}, kDefaultDdePort},
      {{"--device", "soapy:", "--freq", "8927"}, kDefaultDdePort},
      {{"--input", "x.wav", "--realtime"}, kDefaultDdePort},
      {{"--input", "x.wav"}, std::nullopt},
      {{"--input", "x.wav", "--dde-port=9000"}, 9000},
      {{"--dde-port", "9000", "--dde-port", "off"}, std::nullopt},
  };
  for (const auto& [args, port] : cases) EXPECT_EQ(Parse(args).options.FeedPort(), port) << args.size();
}

// An I/Q input through a pipe is talvir-cli's own test; here what it does
// not show.
TEST(CliOptions, IqUdpAndBandInputsTakeTheirCompanionsAndMakeChannelAHf) {
  const CliParseResult raw =
      Parse({"--input", "-", "--iq-format", "cu8", "--iq-rate=2400000", "--iq-dial", "-1500.5", "--freq", "8977"});
  ASSERT_EQ(raw.error, "");
  EXPECT_EQ(raw.options.Input().iqDialHz, -1500.5);
  EXPECT_NEAR(raw.options.ChannelFrequencyKhz().value_or(0), 8975.4995, 1e-9) << "the dial, below the band's centre";
  EXPECT_EQ(Parse({"--input", "a.wav", "--freq", "8977"}).options.ChannelFrequencyKhz(), 8977.0);
  Settings settings;
  settings.Set(&SettingsRecord::channelAMode, kChannelVhf);
  settings.Set(&SettingsRecord::channelBMode, kChannelHf);
  ApplyCliOverrides(raw.options, settings);
  EXPECT_EQ(settings.Get(&SettingsRecord::channelAMode), kChannelHf);
  EXPECT_EQ(settings.Get(&SettingsRecord::channelBMode), kChannelNone);
  EXPECT_EQ(Parse({"--input", "udp:7355", "--udp-channels", "2"}).options.Input().udpChannels, 2);

  // ACARS channels in MHz: the sound channels carry only silence, the band
  // has decoders of its own.
  const CliParseResult airband = Parse({"--input", "-", "--iq-format", "cu8", "--iq-rate", "2400000", "--freq",
                                        "131000", "--acars-freqs", "131.525, 131.725,130.025"});
  ASSERT_EQ(airband.error, "");
  EXPECT_EQ(airband.options.channels.acarsFreqsMhz, (std::vector<double>{131.525, 131.725, 130.025}));
  ApplyCliOverrides(airband.options, settings);
  EXPECT_EQ(settings.Get(&SettingsRecord::channelAMode), kChannelNone);
  EXPECT_EQ(settings.Get(&SettingsRecord::channelBMode), kChannelNone);
  // A band recording may be paced as it was recorded.
  EXPECT_EQ(Parse({"--input", "b.cf32", "--iq-format", "cf32", "--iq-rate", "96000", "--freq", "8950", "--freqs",
                   "8927", "--realtime"})
                .error,
            "");
}

// A receiver (--device soapy:...) is tuned to --freq and feeds the I/Q paths.
TEST(CliOptions, AnSdrReceiverIsAnIqSourceNotASoundCard) {
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
  EXPECT_FALSE(one.options.device.has_value());
  EXPECT_EQ(Parse({"--device", "USB Audio"}).options.device, "USB Audio");

  const CliParseResult band = Parse(
      {"--device", "soapy:", "--freq", "8950", "--freqs", "8927,8977", "--sdr-rate", "192000", "--sdr-gain", "32.5"});
  ASSERT_EQ(band.error, "");
  EXPECT_TRUE(band.options.Input().band);
  EXPECT_EQ(band.options.Input().sdr->args, "");
  EXPECT_EQ(band.options.Input().sdr->rate, 192000.0);
  EXPECT_EQ(band.options.Input().sdr->gainDb, 32.5);
  EXPECT_FALSE(Parse({"--device", "soapy:", "--freq", "8950", "--sdr-gain", "auto"}).options.Input().sdr->gainDb);
  // The airband's usual rate unless told otherwise.
  EXPECT_EQ(Parse({"--device", "soapy:driver=rtlsdr", "--freq", "131000", "--acars-freqs", "131.525,131.725"})
                .options.Input()
                .sdr->rate,
            kDefaultAirbandSdrRate);
  // --iq-dial moves the one channel within the receiver's band, away from
  // its centre's spur.
  EXPECT_EQ(Parse({"--device", "soapy:", "--freq", "8920", "--iq-dial", "7000"}).options.Input().iqDialHz, 7000.0);
}

}  // namespace
}  // namespace talvir
