#include "cli/cli_options.h"

#include <array>
#include <utility>

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

// Comma-separated names, or "all".
std::optional<std::vector<Settings::IntField>> ParseShowList(std::string_view list, std::string& error) {
  std::vector<Settings::IntField> shown;
  if (list == "all") {
    for (const DisplayOption& option : kDisplayOptions) shown.push_back(option.field);
    return shown;
  }
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    const std::string_view name = list.substr(0, comma);
    list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
    if (name.empty()) continue;
    const DisplayOption* found = nullptr;
    for (const DisplayOption& option : kDisplayOptions) {
      if (option.name == name) found = &option;
    }
    if (found == nullptr) {
      error = "--show: unknown item '" + std::string(name) +
              "'; the items are preamble, spdu, mpdu, lpdu, bdu, hfnpdu, vacars, hacars, hex, verbose, all";
      return std::nullopt;
    }
    shown.push_back(found->field);
  }
  return shown;
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
      if (auto v = value()) options.input = std::string(*v);
    } else if (arg == "--device") {
      if (auto v = value()) options.device = std::string(*v);
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
    } else if (arg == "--config-dir") {
      if (auto v = value()) options.configDir = std::filesystem::path(*v);
    } else {
      error = "unknown option '" + std::string(arg) + "'";
    }
  }
  if (!error.empty()) return result;

  if (options.input && options.input->empty()) error = "--input needs a file name, or - for stdin";
  else if (options.input && options.device) error = "--input and --device exclude each other";
  else if (options.channelAMode == kChannelHf && options.channelBMode == kChannelHf)
    error = "only one channel can be hf";
  return result;
}

void ApplyCliOverrides(const CliOptions& options, Settings& settings) {
  if (options.channelAMode) settings.Set(&SettingsRecord::channelAMode, *options.channelAMode);
  if (options.channelBMode) settings.Set(&SettingsRecord::channelBMode, *options.channelBMode);
  // One channel named hf by a flag takes HF away from the other, which may
  // have it from the settings file: the modem takes one channel.
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

std::string_view CliVersion() { return TALVIR_GIT_VERSION; }

std::string_view CliHelpText() {
  return R"(Usage: talvir-cli [OPTION]...
Decode HFDL and VHF ACARS from a sound card, a sound file or raw PCM on stdin,
and print the decoded traffic on stdout.

Input (default: the sound card named in the settings, else the default input):
  --input PATH        decode a sound file (WAV, FLAC, ...; 48000 Hz; mono or
                      stereo, a mono file is channel A)
  --input -           decode raw 16-bit little-endian stereo PCM at 48000
                      frames/s from stdin
  --realtime          pace file or stdin input at 48000 frames/s instead of
                      decoding as fast as possible
  --device NAME       capture from the sound card with this name (see
                      --list-devices; names match on their first 31 characters)
  --list-devices      list the capture devices and exit

Decoding:
  --channel-a MODE    what the left channel carries: hf, vhf or none
  --channel-b MODE    what the right channel carries: hf, vhf or none
                      (at most one channel is hf)
  --show LIST         what to print, comma-separated: preamble, spdu, mpdu,
                      lpdu, bdu, hfnpdu, vacars, hacars, hex, verbose; or all
                      (the items not listed are not printed; default: as
                      in the settings file, or without one all but
                      preamble, hex and verbose)
  --logs              also write the HFDL and Ostrale logs to logfiles/
  --verbose-status    print status lines (modem, squitter, flight list,
                      flight details, end of input) on stderr

Files:
  --config-dir DIR    where configs/ and logfiles/ are (default: the working
                      directory)

  -h, --help          show this help and exit
  --version           show the version and exit

Settings come from DIR/configs/talvir.ini when it exists, else from the
defaults (channel A hf, channel B none). The options above change them for
this run only: talvir-cli never writes the settings file.

Sound card input runs until interrupted (Ctrl-C). Exit status: 0 at the end
of the input or when capture from a sound card is interrupted; 130 when a file
or stdin decode is interrupted before its end; 2 for a bad option, an
unusable input file or a capture device that cannot be opened.
)";
}

}  // namespace talvir
