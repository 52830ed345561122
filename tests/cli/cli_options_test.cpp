#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include "outputs/publishing/dde_protocol.h"

namespace talvir {
namespace {

// What a decode shows by default, and the details shown only on request.
constexpr Settings::IntField kTraffic[] = {&SettingsRecord::showSpdu,   &SettingsRecord::showMpdu,
                                           &SettingsRecord::showLpdu,   &SettingsRecord::showBdu,
                                           &SettingsRecord::showHfnpdu, &SettingsRecord::showVAcars,
                                           &SettingsRecord::showHAcars};
constexpr Settings::IntField kDetails[] = {&SettingsRecord::showPreamble, &SettingsRecord::showHex,
                                           &SettingsRecord::verbose};

CliParseResult Parse(std::initializer_list<std::string_view> args) {
  const std::vector<std::string_view> list(args);
  return ParseCliOptions(list);
}

TEST(CliOptions, ReadsEveryOptionInBothSpellings) {
  const CliParseResult r = Parse({"--input", "x.wav", "--channel-a=vhf", "--channel-b", "hf", "--show",
                                  "mpdu,hex", "--realtime", "--logs", "--verbose-status", "--config-dir=/tmp"});
  ASSERT_EQ(r.error, "");
  EXPECT_EQ(r.options.action, CliOptions::Action::kDecode);
  EXPECT_EQ(r.options.input, "x.wav");
  EXPECT_EQ(r.options.channelAMode, kChannelVhf);
  EXPECT_EQ(r.options.channelBMode, kChannelHf);
  ASSERT_TRUE(r.options.shown.has_value());
  EXPECT_EQ(r.options.shown->size(), 2U);
  EXPECT_TRUE(r.options.realtime && r.options.logs && r.options.verboseStatus);
  EXPECT_EQ(r.options.configDir, std::filesystem::path("/tmp"));
  EXPECT_FALSE(r.options.ReadsStdin());
  EXPECT_TRUE(Parse({"--input", "-"}).options.ReadsStdin());
  EXPECT_EQ(Parse({"--list-devices"}).options.action, CliOptions::Action::kListDevices);
  EXPECT_EQ(Parse({"-h"}).options.action, CliOptions::Action::kHelp);
  EXPECT_EQ(Parse({"--version"}).options.action, CliOptions::Action::kVersion);
}

TEST(CliOptions, RefusesBadCommandLinesWithAReason) {
  EXPECT_NE(Parse({"--channel-a", "uhf"}).error.find("'uhf'"), std::string::npos);
  EXPECT_NE(Parse({"--show", "mpdu,sqitter"}).error.find("'sqitter'"), std::string::npos);
  EXPECT_NE(Parse({"--input"}).error.find("needs a value"), std::string::npos);
  EXPECT_NE(Parse({"--frobnicate"}).error.find("--frobnicate"), std::string::npos);
  EXPECT_NE(Parse({"--realtime=yes"}).error.find("takes no value"), std::string::npos);
  EXPECT_NE(Parse({"--input", "a.wav", "--device", "USB"}).error, "");
  EXPECT_NE(Parse({"--input="}).error, "");
  EXPECT_NE(Parse({"--output", "json:tcp:host"}).error.find("HOST:PORT"), std::string::npos);
  EXPECT_NE(Parse({"--freq", "8977kHz"}).error.find("'8977kHz'"), std::string::npos);
  EXPECT_NE(Parse({"--freq", "-5"}).error, "");
  EXPECT_NE(Parse({"--sbs-port", "0"}).error.find("'0'"), std::string::npos);
  EXPECT_NE(Parse({"--station-id="}).error, "");
}

TEST(CliOptions, RecordOutputsTheirFeederAndFrequency) {
  const CliParseResult r = Parse({"--output", "json:udp:127.0.0.1:5556", "--output=json:stdout", "--station-id",
                                  "XX-HOME", "--freq", "8977.5", "--sbs-port", "30003"});
  ASSERT_EQ(r.error, "");
  ASSERT_EQ(r.options.records.outputs.size(), 2u);
  EXPECT_EQ(r.options.records.outputs[0].port, 5556);
  EXPECT_TRUE(r.options.records.JsonOnStdout());
  EXPECT_EQ(r.options.records.stationId, "XX-HOME");
  EXPECT_EQ(r.options.records.frequencyKhz, 8977.5);
  EXPECT_EQ(r.options.records.sbsPort, 30003);
  EXPECT_EQ(r.options.records.sbsHost, "127.0.0.1");
  const CliOptions wide = Parse({"--sbs-port", "0.0.0.0:30003"}).options;
  EXPECT_EQ((std::pair{wide.records.sbsHost, wide.records.sbsPort}), (std::pair{std::string("0.0.0.0"), std::optional(30003)}));
  EXPECT_FALSE(Parse({"--output", "json:file:x"}).options.records.JsonOnStdout());
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
  EXPECT_EQ(settings.Text(&SettingsRecord::soundCardName), "Old card");
  EXPECT_EQ(settings.Get(&SettingsRecord::hfdlLogging), 0);

  ApplyCliOverrides(Parse({"--show", "mpdu,vacars", "--device", "USB Audio CODEC", "--logs"}).options, settings);
  EXPECT_EQ(settings.Get(&SettingsRecord::showMpdu), 1);
  EXPECT_EQ(settings.Get(&SettingsRecord::showVAcars), 1);
  EXPECT_EQ(settings.Get(&SettingsRecord::showHex), 0) << "--show lists everything shown";
  EXPECT_EQ(settings.Text(&SettingsRecord::soundCardName), "USB Audio CODEC");
  EXPECT_EQ(settings.Get(&SettingsRecord::hfdlLogging), 1);
  EXPECT_EQ(settings.Get(&SettingsRecord::ostraleLogging), 1);

  ApplyCliOverrides(Parse({"--show", "all"}).options, settings);
  for (auto field : kTraffic) EXPECT_EQ(settings.Get(field), 1);
  for (auto field : kDetails) EXPECT_EQ(settings.Get(field), 1);
}

TEST(CliOptions, ShowListsTakeBlanksAfterCommasAndAllBesideOtherItems) {
  EXPECT_EQ(Parse({"--show", "spdu, mpdu ,vacars"}).options.shown->size(), 3U);
  EXPECT_EQ(Parse({"--show", "all,mpdu"}).error, "");
  Settings settings;
  ApplyCliOverrides(Parse({"--show", "hex, all"}).options, settings);
  for (auto field : kTraffic) EXPECT_EQ(settings.Get(field), 1);
  for (auto field : kDetails) EXPECT_EQ(settings.Get(field), 1);
  for (const char* list : {"", "mpdu,", ",mpdu", "mpdu, ,spdu"}) {
    EXPECT_NE(Parse({"--show", list}).error.find("an empty item"), std::string::npos) << "'" << list << "'";
  }
}

TEST(CliOptions, StartTimesAreUtcInIso8601) {
  constexpr std::time_t k20261207T110000 = 1796641200;
  for (const char* text : {"2026-12-07T11:00:00Z", "2026-12-07T11:00:00", "2026-12-07 11:00:00",
                           "2026-12-07T11:00Z", "2026-12-07T11:00:00+00:00"}) {
    EXPECT_EQ(ParseUtcTime(text), k20261207T110000) << text;
  }
  for (const char* text : {"", "2026-12-07", "2026-12-07T11", "2026-13-01T00:00:00Z", "2026-02-29T00:00:00Z",
                           "2026-12-07T24:00:00Z", "2026-12-07T11:00:00+01:00", "2026-12-07T11:00:00Zjunk"}) {
    EXPECT_FALSE(ParseUtcTime(text).has_value()) << text;
  }
  EXPECT_EQ(Parse({"--input", "x.wav", "--start-time", "2026-12-07T11:00:00Z"}).options.startTime,
            k20261207T110000);
  EXPECT_NE(Parse({"--start-time", "2026-12-07T11:00:00Z"}).error.find("needs --input"), std::string::npos);
}

TEST(CliOptions, WithoutASettingsFileTheDecodedTrafficIsShown) {
  Settings settings;  // defaults: every display option off
  ApplyCliOverrides(Parse({}).options, settings);
  for (auto field : kTraffic) EXPECT_EQ(settings.Get(field), 1);
  for (auto field : kDetails) EXPECT_EQ(settings.Get(field), 0);
  Settings loaded;
  loaded.Set(&SettingsRecord::settingsLoaded, 1);
  ApplyCliOverrides(Parse({}).options, loaded);
  EXPECT_EQ(loaded.Get(&SettingsRecord::showMpdu), 0) << "a settings file's choice stands";
}

TEST(CliOptions, NamingOneChannelHfTakesHfFromTheOther) {
  Settings settings;  // defaults: A hf
  ApplyCliOverrides(Parse({"--channel-b", "hf"}).options, settings);
  EXPECT_EQ(settings.Get(&SettingsRecord::channelAMode), kChannelNone);
  EXPECT_EQ(settings.Get(&SettingsRecord::channelBMode), kChannelHf);
}

TEST(CliOptions, IqAndUdpInputsTakeTheirCompanionsAndMakeChannelAHf) {
  const CliParseResult raw = Parse({"--input", "-", "--iq-format", "cu8", "--iq-rate=2400000", "--iq-dial", "-1500.5",
                                    "--freq", "8977"});
  ASSERT_EQ(raw.error, "");
  const InputSpec spec = raw.options.Input();
  EXPECT_TRUE(spec.iq) << "a raw form implies I/Q";
  EXPECT_EQ(spec.iqFormat, IqFormat::kCu8);
  EXPECT_EQ(spec.iqRate, 2400000.0);
  EXPECT_EQ(spec.iqDialHz, -1500.5);
  EXPECT_EQ(raw.options.records.frequencyKhz, 8977.0);
  EXPECT_NEAR(raw.options.ChannelFrequencyKhz().value_or(0), 8975.4995, 1e-9) << "the dial, below the band's centre";
  EXPECT_EQ(Parse({"--input", "a.wav", "--freq", "8977"}).options.ChannelFrequencyKhz(), 8977.0);
  Settings settings;
  settings.Set(&SettingsRecord::channelAMode, kChannelVhf);
  settings.Set(&SettingsRecord::channelBMode, kChannelHf);
  ApplyCliOverrides(raw.options, settings);
  EXPECT_EQ(settings.Get(&SettingsRecord::channelAMode), kChannelHf);
  EXPECT_EQ(settings.Get(&SettingsRecord::channelBMode), kChannelNone);

  const CliParseResult udp = Parse({"--input", "udp:7355", "--udp-channels", "2"});
  ASSERT_EQ(udp.error, "");
  EXPECT_TRUE(udp.options.ReadsUdp());
  EXPECT_EQ(udp.options.Input().udpChannels, 2);
  EXPECT_EQ(udp.options.FeedPort(), kDefaultDdePort) << "UDP audio is live";
  EXPECT_EQ(Parse({"--input", "x.wav"}).options.FeedPort(), std::nullopt);

  const std::pair<std::vector<std::string_view>, const char*> refused[] = {
      {{"--input", "x", "--iq-format", "cs8"}, "'cs8'"},
      {{"--input", "x", "--iq-format", "cs16", "--iq-rate", "0"}, "positive"},
      {{"--input", "x", "--iq", "--iq-dial", "1k"}, "'1k'"},
      {{"--input", "udp:1", "--udp-channels", "3"}, "1 or 2"},
      {{"--freq", "-5"}, "positive"},
      {{"--iq"}, "give it"},
      {{"--input", "x.wav", "--iq-rate", "8000"}, "add --iq"},
      {{"--input", "x.wav", "--udp-channels", "2"}, "udp:PORT"},
      {{"--input", "udp:1", "--realtime"}, "own pace"},
      {{"--input", "x", "--iq", "--channel-b", "vhf"}, "HF only"},
      {{"--input", "x", "--iq=yes"}, "takes no value"},
  };
  for (const auto& [args, says] : refused) {
    const std::string error = ParseCliOptions(args).error;
    EXPECT_NE(error.find(says), std::string::npos) << error;
  }
}

}  // namespace
}  // namespace talvir
