#include "ui/talvir_options.h"

#include <charconv>

namespace talvir {
namespace {
constexpr int kMaxScreenshotSeconds = 3600;
}  // namespace

TalvirParseResult ParseTalvirOptions(std::span<const std::string_view> args) {
  TalvirParseResult result;
  TalvirOptions& options = result.options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    const auto value = [&]() -> std::optional<std::string_view> {
      if (i + 1 >= args.size()) {
        result.error = std::string(arg) + " needs a value";
        return std::nullopt;
      }
      return args[++i];
    };
    if (arg == "--help" || arg == "-h") {
      options.action = TalvirOptions::Action::kHelp;
    } else if (arg == "--version") {
      options.action = TalvirOptions::Action::kVersion;
    } else if (arg == "--user-data") {
      options.userData = true;
    } else if (arg == "--input" || arg == "--config-dir" || arg == "--screenshot" || arg == "--map-screenshot") {
      const std::optional<std::string_view> text = value();
      if (!text) return result;
      auto& target = arg == "--input"        ? options.input
                     : arg == "--config-dir" ? options.configDir
                     : arg == "--screenshot" ? options.screenshot
                                             : options.mapScreenshot;
      target = std::filesystem::path(std::string(*text));
    } else if (arg == "--seconds") {
      const std::optional<std::string_view> text = value();
      if (!text) return result;
      int seconds = 0;
      const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), seconds);
      if (ec != std::errc() || end != text->data() + text->size() || seconds < 1 || seconds > kMaxScreenshotSeconds) {
        result.error = "--seconds: must be a whole number from 1 to 3600, not '" + std::string(*text) + "'";
        return result;
      }
      options.screenshotSeconds = seconds;
    } else if (arg == "--dde-port") {
      const std::optional<std::string_view> text = value();
      if (!text) return result;
      const std::optional<int> port = ParsePortNumber(*text);
      if (*text == "off") {
        options.feedPort.reset();
      } else if (!port) {
        result.error = "--dde-port: '" + std::string(*text) + "' is not a port number (1 to 65535) or off";
        return result;
      } else {
        options.feedPort = port;
      }
    } else if (const InputOptionKind kind = InputOptionKindOf(arg); kind != InputOptionKind::kOther) {
      const std::optional<std::string_view> text = kind == InputOptionKind::kFlag ? std::string_view() : value();
      if (!text) return result;
      result.error = SetInputOption(arg, *text, options.inputOptions);
      if (!result.error.empty()) return result;
    } else if (IsChannelOption(arg)) {
      const std::optional<std::string_view> text = value();
      if (!text) return result;
      result.error = SetChannelOption(arg, *text, options.channels);
      if (!result.error.empty()) return result;
    } else if (arg == "--device") {
      // The sound card is chosen in the Soundcard Configuration dialog.
      const std::optional<std::string_view> text = value();
      if (!text) return result;
      if (!SetSdrDevice(*text, options.inputOptions)) {
        result.error = "--device takes soapy:ARGS, an SDR receiver; the sound card is chosen in the window";
        return result;
      }
    } else if (IsRecordOutputOption(arg)) {
      const std::optional<std::string_view> text = value();
      if (!text) return result;
      result.error = SetRecordOutputOption(arg, *text, options.records);
      if (!result.error.empty()) return result;
    } else {
      result.error = "unknown option '" + std::string(arg) + "'";
      return result;
    }
  }
  const std::optional<std::string> input = options.input ? std::optional(options.input->string()) : std::nullopt;
  result.error = InputOptionsMismatch(input, options.inputOptions);
  if (result.error.empty())
    result.error = CheckChannelOptions(options.channels, options.inputOptions, options.records.frequencyKhz);
  return result;
}

InputSpec TalvirOptions::Input() const {
  InputSpec spec = inputOptions.Spec(input ? input->string() : "", records.frequencyKhz);
  spec.band = channels.DecodesBand();
  return spec;
}

std::string TalvirHelpText() {
  return "Usage: talvir [OPTIONS]\n"
         "The HFDL and ACARS receiver-decoder's window. It captures from the sound card\n"
         "chosen in the settings (left channel HF, right channel VHF airband, as set).\n"
         "\n"
         "Options:\n"
         "  --input FILE       play a recording (WAV, FLAC, ...; any sample rate) at real\n"
         "                     time through the same capture path instead of the sound\n"
         "                     card, to try the window without a receiver\n" +
         std::string(InputOptionsHelp()) + std::string(ChannelOptionsHelp()) +
         "                      The window lists the channels of --freqs: choose one\n"
         "                      to see its status, constellation and waterfall\n" +
         "  --config-dir DIR   keep configs/ and logfiles/ under DIR instead of the\n"
         "                     current folder\n"
         "  --user-data        keep them in the user's data folder instead,\n"
         "                     $XDG_DATA_HOME/talvir or ~/.local/share/talvir (made\n"
         "                     when missing), as the desktop menu starts talvir\n"
         "  --dde-port PORT    serve the live feed on 127.0.0.1 port PORT (default 8650)\n"
         "  --dde-port off     no live feed\n" +
         std::string(RecordOutputOptionsHelp()) +
         "  --screenshot PNG   save a picture of the window after --seconds (default 30)\n"
         "                     and exit without asking; for the documentation\n"
         "  --map-screenshot PNG\n"
         "                     switch the map on at start and save a picture of the Map\n"
         "                     window after --seconds, then exit without asking\n"
         "  --seconds N        how long to run before the pictures (1 to 3600)\n"
         "  --version          print the version and exit\n"
         "  -h, --help         print this help and exit\n";
}

}  // namespace talvir
