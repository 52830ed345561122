#pragma once
// The desktop program's command line.

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "app/channel_options.h"
#include "outputs/publishing/dde_protocol.h"
#include "audio/input_options.h"
#include "outputs/records/record_output_options.h"

namespace talvir {

struct TalvirOptions {
  enum class Action { kRun, kHelp, kVersion };
  Action action = Action::kRun;
  std::optional<std::filesystem::path> input;  // played at real time instead of the sound card
  InputOptions inputOptions;                   // what the input is: I/Q, UDP channels, an SDR receiver
  ChannelOptions channels;                     // many HFDL or ACARS channels of an I/Q band
  RecordOutputOptions records;                 // JSON, Basestation lines, --freq
  std::optional<std::filesystem::path> configDir;
  bool userData = false;  // configs/ and logfiles/ in the user's data folder
  // For the documentation's pictures: after this many seconds, save the
  // window as a PNG and exit without asking.
  std::optional<std::filesystem::path> screenshot;
  // Likewise for the Map window, switched on at start.
  std::optional<std::filesystem::path> mapScreenshot;
  int screenshotSeconds = 30;
  // The live feed's port on 127.0.0.1; none: no feed.
  std::optional<int> feedPort = kDefaultDdePort;

  // What --input or --device names, with --freq.
  InputSpec Input() const;
};

struct TalvirParseResult {
  TalvirOptions options;
  std::string error;  // empty when the command line is good
};

TalvirParseResult ParseTalvirOptions(std::span<const std::string_view> args);

std::string TalvirHelpText();

}  // namespace talvir
