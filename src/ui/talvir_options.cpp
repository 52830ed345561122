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
    } else if (arg == "--input" || arg == "--config-dir" || arg == "--screenshot") {
      const std::optional<std::string_view> text = value();
      if (!text) return result;
      auto& target = arg == "--input" ? options.input : arg == "--config-dir" ? options.configDir : options.screenshot;
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
    } else if (const InputOptionKind kind = InputOptionKindOf(arg); kind != InputOptionKind::kOther) {
      const std::optional<std::string_view> text = kind == InputOptionKind::kFlag ? std::string_view() : value();
      if (!text) return result;
      result.error = SetInputOption(arg, *text, options.inputOptions);
      if (!result.error.empty()) return result;
    } else {
      result.error = "unknown option '" + std::string(arg) + "'";
      return result;
    }
  }
  const std::optional<std::string> input = options.input ? std::optional(options.input->string()) : std::nullopt;
  result.error = InputOptionsMismatch(input, options.inputOptions);
  return result;
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
         std::string(InputOptionsHelp()) +
         "  --config-dir DIR   keep configs/ and logfiles/ under DIR instead of the\n"
         "                     current folder\n"
         "  --screenshot PNG   save a picture of the window after --seconds (default 30)\n"
         "                     and exit without asking; for the documentation\n"
         "  --seconds N        how long to run before --screenshot (1 to 3600)\n"
         "  --version          print the version and exit\n"
         "  -h, --help         print this help and exit\n";
}

}  // namespace talvir
