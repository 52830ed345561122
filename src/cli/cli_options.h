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

#include "audio/input_options.h"
#include "config/settings.h"
#include "outputs/json/output_target.h"

namespace talvir {

struct CliOptions {
  enum class Action { kDecode, kHelp, kVersion, kListDevices, kSettings };
  Action action = Action::kDecode;

  std::optional<std::string> input;  // a sound file, "-" for raw PCM on stdin, or udp:PORT
  InputOptions inputOptions;  // what the input is: I/Q, UDP channels
  // The receiver's frequency: its dial for audio, the centre of the band for I/Q.
  std::optional<double> frequencyKhz;
  // Many HFDL channels of an I/Q band: their dials in kHz, or (empty with
  // hfdlChannelsFromTable) every frequency of the stored system table inside
  // the band.
  std::optional<std::vector<double>> hfdlChannelsKhz;
  bool hfdlChannelsFromTable = false;
  std::optional<std::string> device;
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
  std::vector<OutputTarget> outputs;     // JSON records, in the order given
  std::optional<std::string> stationId;  // names the feeder in the records
  std::optional<int> sbsPort;            // Basestation lines served on this port
  std::string sbsHost = "127.0.0.1";     // and address
  std::optional<std::time_t> startTime;  // UTC of the input's first frame
  std::optional<std::filesystem::path> configDir;
  bool userData = false;  // configs/ and logfiles/ in the user's data folder
  // kSettings: write the settings with the flags applied, print them, or both.
  bool saveSettings = false;
  bool printSettings = false;

  bool ReadsStdin() const { return input == "-"; }
  bool DecodesBand() const { return hfdlChannelsKhz.has_value(); }
  // JSON on stdout takes the place of the decoded text there.
  bool JsonOnStdout() const;
  bool ReadsUdp() const { return input && Input().ReadsUdp(); }
  // What --input and its companions name.
  InputSpec Input() const;
  // The HFDL channel's frequency (its dial) in kHz, when --freq gives it: for
  // I/Q, the centre of the band moved by --iq-dial.
  std::optional<double> ChannelFrequencyKhz() const;
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
