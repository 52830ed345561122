#pragma once
// talvir-cli's command line: parsing, the help text, and the settings
// overrides the flags make for one run.

#include <ctime>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/channel_options.h"
#include "audio/input_options.h"
#include "config/settings.h"
#include "outputs/records/record_output_options.h"

namespace talvir {

struct CliOptions {
  enum class Action { kDecode, kHelp, kVersion, kListDevices, kSettings };
  Action action = Action::kDecode;

  std::optional<std::string> input;  // a sound file, "-" for raw PCM on stdin, or udp:PORT
  InputOptions inputOptions;  // what the input is: I/Q, UDP channels, an SDR receiver
  ChannelOptions channels;    // many HFDL or ACARS channels of an I/Q band
  std::optional<std::string> device;  // a sound card
  std::optional<int32_t> channelAMode;
  std::optional<int32_t> channelBMode;
  std::optional<std::vector<Settings::IntField>> shown;  // display options switched on
  bool realtime = false;
  bool logs = false;
  bool verboseStatus = false;
  bool summary = false;  // end of input and the summary, also without verboseStatus
  // The live feed: a port, off, or (neither) on the default port for live
  // or real-time input only.
  std::optional<int> ddePort;
  bool ddeOff = false;
  bool kml = false;  // aircraft.kml and groundstation.kml in the data folder
  RecordOutputOptions records;  // JSON, Basestation lines, --freq
  std::optional<std::time_t> startTime;  // UTC of the input's first frame
  std::optional<std::filesystem::path> configDir;
  bool userData = false;  // configs/ and logfiles/ in the user's data folder
  // kSettings: write the settings with the flags applied, print them, or both.
  bool saveSettings = false;
  bool printSettings = false;

  bool ReadsStdin() const { return input == "-"; }
  bool Airband() const { return channels.Airband(); }
  bool DecodesBand() const { return channels.DecodesBand(); }
  bool ReadsUdp() const { return input && Input().ReadsUdp(); }
  bool ReadsSdr() const { return inputOptions.sdrArgs.has_value(); }
  // What --input and its companions name.
  InputSpec Input() const;
  // The HFDL channel's frequency (its dial) in kHz, when --freq gives it.
  std::optional<double> ChannelFrequencyKhz() const { return inputOptions.ChannelKhz(records.frequencyKhz); }
  // The port the feed listens on this run, or none.
  std::optional<int> FeedPort() const;
};

struct CliParseResult {
  CliOptions options;
  std::string error;  // empty when the command line is good
};

CliParseResult ParseCliOptions(std::span<const std::string_view> args);

// The flags' changes to the settings, for this run only.
void ApplyCliOverrides(const CliOptions& options, Settings& settings);

// "2026-12-07T11:00:00Z" and the like (ISO 8601, UTC): seconds since the
// epoch, or nothing.
std::optional<std::time_t> ParseUtcTime(std::string_view text);

std::string CliHelpText();

}  // namespace talvir
