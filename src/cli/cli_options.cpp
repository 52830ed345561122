#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <utility>

#include "outputs/publishing/dde_protocol.h"

namespace talvir {
namespace {

struct DisplayOption {
  std::string_view name;
  Settings::IntField field;
};

// The ten display options of the main window, by their --show names.
constexpr std::array<DisplayOption, 10> kDisplayOptions{{
    {"preamble", &SettingsRecord::showPreamble},
    {"spdu", &SettingsRecord::showSpdu},
    {"mpdu", &SettingsRecord::showMpdu},
    {"lpdu", &SettingsRecord::showLpdu},
    {"bdu", &SettingsRecord::showBdu},
    {"hfnpdu", &SettingsRecord::showHfnpdu},
    {"vacars", &SettingsRecord::showVAcars},
    {"hacars", &SettingsRecord::showHAcars},
    {"hex", &SettingsRecord::showHex},
    {"verbose", &SettingsRecord::verbose},
}};

// Without a settings file every display option would be off and nothing
// printed: a console user gets the decoded traffic without the raw detail.
constexpr std::array<Settings::IntField, 7> kShownWithoutSettingsFile{
    &SettingsRecord::showSpdu,   &SettingsRecord::showMpdu,   &SettingsRecord::showLpdu,
    &SettingsRecord::showBdu,    &SettingsRecord::showHfnpdu, &SettingsRecord::showVAcars,
    &SettingsRecord::showHAcars,
};

std::optional<int32_t> ParseChannelMode(std::string_view value) {
  if (value == "hf") return kChannelHf;
  if (value == "vhf") return kChannelVhf;
  if (value == "none") return kChannelNone;
  return std::nullopt;
}

constexpr std::string_view kShowItems =
    "preamble, spdu, mpdu, lpdu, bdu, hfnpdu, vacars, hacars, hex, verbose, all";

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

// Comma-separated names (blanks around them allowed); "all" adds every one.
std::optional<std::vector<Settings::IntField>> ParseShowList(std::string_view list, std::string& error) {
  std::vector<Settings::IntField> shown;
  const std::string_view whole = list;
  for (;;) {
    const std::size_t comma = list.find(',');
    const std::string_view name = TrimBlanks(list.substr(0, comma));
    if (name.empty()) {
      error = "--show: an empty item in '" + std::string(whole) + "'; the items are " + std::string(kShowItems);
      return std::nullopt;
    }
    bool found = false;
    for (const DisplayOption& option : kDisplayOptions) {
      if (option.name == name || name == "all") {
        shown.push_back(option.field);
        found = true;
      }
    }
    if (!found) {
      error = "--show: unknown item '" + std::string(name) + "'; the items are " + std::string(kShowItems);
      return std::nullopt;
    }
    if (comma == std::string_view::npos) return shown;
    list.remove_prefix(comma + 1);
  }
}

// Only this program names what the sound channels carry: an airband band
// has decoders of its own.
std::string AirbandModeError(const CliOptions& options) {
  if (!options.Airband()) return {};
  if (options.channelAMode || options.channelBMode)
    return "--channel-a and --channel-b name what audio carries; with --acars-freqs the I/Q band is decoded";
  return {};
}

// The I/Q and UDP options make sense only with the input they describe.
std::string InputCompanionError(const CliOptions& options) {
  const bool iq = options.inputOptions.Iq();
  if (std::string mismatch = InputOptionsMismatch(options.input, options.inputOptions); !mismatch.empty())
    return mismatch;
  if (options.ReadsUdp() && options.realtime) return "--realtime paces a file; UDP audio comes at its own pace";
  if (options.ReadsUdp() && options.startTime) return "--start-time dates a recording; UDP audio is stamped as it comes";
  // I/Q becomes one channel of HF audio.
  if (iq && !options.Airband() && ((options.channelAMode && *options.channelAMode != kChannelHf) ||
             (options.channelBMode && *options.channelBMode != kChannelNone)))
    return "I/Q input is HF only: it is channel A (hf) and channel B is none";
  return {};
}

}  // namespace

CliParseResult ParseCliOptions(std::span<const std::string_view> args) {
  CliParseResult result;
  CliOptions& options = result.options;
  std::string& error = result.error;

  for (std::size_t i = 0; i < args.size() && error.empty(); ++i) {
    std::string_view arg = args[i];
    std::optional<std::string_view> attached;  // --name=value
    if (const std::size_t equals = arg.find('='); arg.starts_with("--") && equals != std::string_view::npos) {
      attached = arg.substr(equals + 1);
      arg = arg.substr(0, equals);
    }
    auto value = [&]() -> std::optional<std::string_view> {
      if (attached) return attached;
      if (i + 1 < args.size()) return args[++i];
      error = std::string(arg) + " needs a value";
      return std::nullopt;
    };
    auto flag = [&](bool& target) {
      if (attached) error = std::string(arg) + " takes no value";
      target = true;
    };

    if (arg == "--help" || arg == "-h") {
      options.action = CliOptions::Action::kHelp;
    } else if (arg == "--version") {
      options.action = CliOptions::Action::kVersion;
    } else if (arg == "--list-devices") {
      options.action = CliOptions::Action::kListDevices;
    } else if (arg == "--input") {
      if (auto v = value()) {
        if (options.input) {
          error = "--input given twice ('" + *options.input + "' and '" + std::string(*v) +
                  "'); decode one input at a time";
        }
        options.input = std::string(*v);
      }
    } else if (const InputOptionKind kind = InputOptionKindOf(arg); kind != InputOptionKind::kOther) {
      if (kind == InputOptionKind::kFlag && attached) error = std::string(arg) + " takes no value";
      const auto v = kind == InputOptionKind::kFlag ? std::optional<std::string_view>("") : value();
      if (v && error.empty()) error = SetInputOption(arg, *v, options.inputOptions);
    } else if (IsRecordOutputOption(arg)) {
      if (auto v = value()) error = SetRecordOutputOption(arg, *v, options.records);
    } else if (IsChannelOption(arg)) {
      if (auto v = value()) error = SetChannelOption(arg, *v, options.channels);
    } else if (arg == "--device") {
      if (auto v = value(); v && !SetSdrDevice(*v, options.inputOptions)) options.device = std::string(*v);
    } else if (arg == "--channel-a" || arg == "--channel-b") {
      if (auto v = value()) {
        const auto mode = ParseChannelMode(*v);
        if (!mode) error = std::string(arg) + ": '" + std::string(*v) + "' is not hf, vhf or none";
        (arg == "--channel-a" ? options.channelAMode : options.channelBMode) = mode;
      }
    } else if (arg == "--show") {
      if (auto v = value()) options.shown = ParseShowList(*v, error);
    } else if (arg == "--realtime") {
      flag(options.realtime);
    } else if (arg == "--logs") {
      flag(options.logs);
    } else if (arg == "--verbose-status") {
      flag(options.verboseStatus);
    } else if (arg == "--summary") {
      flag(options.summary);
    } else if (arg == "--start-time") {
      if (auto v = value()) {
        options.startTime = ParseUtcTime(*v);
        if (!options.startTime) {
          error = "--start-time: '" + std::string(*v) + "' is not a UTC time such as 2026-12-07T11:00:00Z";
        }
      }
    } else if (arg == "--dde-port") {
      if (auto v = value()) {
        const auto port = ParsePortNumber(*v);
        if (*v == "off") {
          options.ddeOff = true;
        } else if (!port) {
          error = "--dde-port: '" + std::string(*v) + "' is not a port number (1 to 65535) or off";
        } else {
          options.ddePort = port;
          options.ddeOff = false;
        }
      }
    } else if (arg == "--kml") {
      flag(options.kml);
    } else if (arg == "--config-dir") {
      if (auto v = value()) options.configDir = std::filesystem::path(*v);
    } else if (arg == "--user-data") {
      flag(options.userData);
    } else if (arg == "--save-settings") {
      flag(options.saveSettings);
    } else if (arg == "--print-settings") {
      flag(options.printSettings);
    } else if (!arg.starts_with("-") || arg == "-") {
      error = "unexpected argument '" + std::string(arg) + "': a file to decode goes after --input";
    } else {
      error = "unknown option '" + std::string(arg) + "'";
    }
  }
  if (!error.empty()) return result;

  if (options.input && options.input->empty()) error = "--input needs a file name, or - for stdin";
  else if (options.input && options.device) error = "--input and --device exclude each other";
  else if (options.startTime && !options.input)
    error = "--start-time dates a recording: it needs --input";
  else if (options.ReadsSdr() && options.realtime)
    error = "--realtime paces a recording; a receiver comes at its own pace";
  else if (std::string channels = CheckChannelOptions(options.channels, options.inputOptions,
                                                      options.records.frequencyKhz);
           !channels.empty())
    error = std::move(channels);
  else if (std::string modes = AirbandModeError(options); !modes.empty())
    error = std::move(modes);
  else
    error = InputCompanionError(options);
  if (options.action == CliOptions::Action::kDecode && (options.saveSettings || options.printSettings)) {
    if (options.input) error = "--save-settings and --print-settings do not decode: leave out --input";
    options.action = CliOptions::Action::kSettings;
  }
  return result;
}

InputSpec CliOptions::Input() const {
  InputSpec spec = inputOptions.Spec(input.value_or(""), records.frequencyKhz);
  spec.band = DecodesBand();
  return spec;
}

std::optional<int> CliOptions::FeedPort() const {
  if (ddeOff) return std::nullopt;
  if (ddePort) return ddePort;
  // A file decoded at full speed is over before a client could follow it;
  // stdin and UDP are mostly a receiver's live audio.
  if (input && !ReadsStdin() && !ReadsUdp() && !realtime) return std::nullopt;
  return kDefaultDdePort;
}

void ApplyCliOverrides(const CliOptions& options, Settings& settings) {
  if (options.inputOptions.Iq()) {
    // An airband band's channels have decoders of their own; the sound
    // channels carry only silence.
    settings.Set(&SettingsRecord::channelAMode, options.Airband() ? kChannelNone : kChannelHf);
    settings.Set(&SettingsRecord::channelBMode, kChannelNone);
  }
  if (options.channelAMode) settings.Set(&SettingsRecord::channelAMode, *options.channelAMode);
  if (options.channelBMode) settings.Set(&SettingsRecord::channelBMode, *options.channelBMode);
  // One channel named hf by a flag takes HF away from the other, which may
  // have it from the settings file (channel A by default): two HF receivers
  // are asked for by naming both.
  if (options.channelAMode == kChannelHf && !options.channelBMode &&
      settings.Get(&SettingsRecord::channelBMode) == kChannelHf)
    settings.Set(&SettingsRecord::channelBMode, kChannelNone);
  if (options.channelBMode == kChannelHf && !options.channelAMode &&
      settings.Get(&SettingsRecord::channelAMode) == kChannelHf)
    settings.Set(&SettingsRecord::channelAMode, kChannelNone);
  if (options.shown) {
    for (const DisplayOption& option : kDisplayOptions) settings.Set(option.field, 0);
    for (const Settings::IntField field : *options.shown) settings.Set(field, 1);
  } else if (settings.Get(&SettingsRecord::settingsLoaded) == 0) {
    for (const Settings::IntField field : kShownWithoutSettingsFile) settings.Set(field, 1);
  }
  if (options.device) settings.SetText(&SettingsRecord::soundCardName, *options.device);
  if (options.logs) {
    settings.Set(&SettingsRecord::hfdlLogging, 1);
    settings.Set(&SettingsRecord::ostraleLogging, 1);
  }
}

std::optional<std::time_t> ParseUtcTime(std::string_view text) {
  // Date, 'T' or a blank, hours and minutes, optional seconds, then Z or
  // +00:00 or nothing; nothing else.
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  char separator = 0;
  int used = 0;
  const std::string copy(text);
  if (std::sscanf(copy.c_str(), "%4d-%2d-%2d%c%2d:%2d%n", &year, &month, &day, &separator, &hour, &minute,
                  &used) != 6 ||
      (separator != 'T' && separator != ' ')) {
    return std::nullopt;
  }
  std::string_view rest = std::string_view(copy).substr(static_cast<std::size_t>(used));
  if (rest.starts_with(':')) {
    int more = 0;
    if (std::sscanf(rest.data(), ":%2d%n", &second, &more) != 1) return std::nullopt;
    rest.remove_prefix(static_cast<std::size_t>(more));
  }
  if (!(rest.empty() || rest == "Z" || rest == "+00:00")) return std::nullopt;
  std::tm fields{};
  fields.tm_year = year - 1900;
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  const std::time_t time = timegm(&fields);
  // timegm normalises 2026-02-30 to March: such a date is refused.
  std::tm check{};
  gmtime_r(&time, &check);
  if (check.tm_year != year - 1900 || check.tm_mon != month - 1 || check.tm_mday != day || check.tm_hour != hour ||
      check.tm_min != minute || check.tm_sec != second) {
    return std::nullopt;
  }
  return time;
}

std::string CliHelpText() {
  return R"(Usage: talvir-cli [OPTION]...
Decode HFDL and VHF ACARS from a sound card, a sound file, an I/Q recording,
raw PCM on stdin or UDP audio, and print the decoded traffic on stdout.

Input (default: the sound card named in the settings, else the default input):
  --input PATH        decode a sound file (WAV, FLAC and whatever else
                      libsndfile reads; any sample rate, resampled to 48000
                      Hz; mono or stereo, a mono file is channel A)
  --input -           decode raw 16-bit little-endian stereo PCM at 48000
                      frames/s from stdin
)" + std::string(InputOptionsHelp()) + std::string(ChannelOptionsHelp()) +
         R"(  --realtime          pace file or stdin input as it was recorded (48000
                      frames/s, or an I/Q band's own rate) instead of
                      decoding as fast as possible
  --start-time UTC    when the recording began, e.g. 2026-12-07T11:00:00Z:
                      stamps the messages of --input (default: the first
                      squitter's time of day, on the date of the file's
                      modification time less its length; stdin: now)
  --device NAME       capture from the sound card with this name (see
                      --list-devices; names match on their first 31 characters)
  --list-devices      list the capture devices and exit

Decoding:
  --channel-a MODE    what the left channel carries: hf, vhf or none
  --channel-b MODE    what the right channel carries: hf, vhf or none
                      (both hf: two HF receivers, each its own modem)
  --show LIST         what to print, comma-separated: preamble, spdu, mpdu,
                      lpdu, bdu, hfnpdu, vacars, hacars, hex, verbose; all
                      adds every item (the items not listed are not printed;
                      default: as in the settings file, or without one all
                      but preamble, hex and verbose)
  --logs              also write the HFDL and Ostrale logs to logfiles/
  --verbose-status    print status lines (modem, squitter, flight list,
                      flight details, end of input and a summary) on stderr
  --summary           print only the end of input and the summary on stderr

Outputs:
  --dde-port PORT     the live feed on 127.0.0.1 port PORT, also for a file
                      decoded at full speed (default: port 8650, except for
                      a file decoded at full speed, which has none);
                      talvir-dde prints what it serves
  --dde-port off      no live feed
  --kml               write aircraft.kml and groundstation.kml (for Google
                      Earth or Marble) into DIR, rewritten as they change
)" + std::string(RecordOutputOptionsHelp()) + R"(
Settings and files:
  --config-dir DIR    where configs/ and logfiles/ are (default: the working
                      directory)
  --user-data         keep configs/ and logfiles/ in the user's data folder,
                      $XDG_DATA_HOME/talvir or ~/.local/share/talvir (made
                      when missing), as the desktop program from the menu does
  --save-settings     write the settings with the flags of this command line
                      applied to DIR/configs/talvir.ini, then exit
  --print-settings    print every field of the settings (after the flags of
                      this command line), then exit

  -h, --help          show this help and exit
  --version           show the version and the commit and exit

Settings come from DIR/configs/talvir.ini when it exists, else from the
defaults (channel A hf, channel B none). The options above change them for
this run only: talvir-cli never writes the settings file unless told to with
--save-settings.

Sound card, SDR and UDP input run until interrupted (Ctrl-C). Exit status: 0 at
the end of the input or when capture from a sound card, an SDR or UDP is
interrupted; 130 when a file or stdin decode is interrupted before its end; 2
for a bad option, an unusable input file, a UDP port that cannot be listened
on, a capture device that cannot be opened or no SDR device found; 1 when the
settings cannot be written.
)";
}

}  // namespace talvir
