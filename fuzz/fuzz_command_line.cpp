// The command lines of talvir-cli and the desktop program (its parser knows
// no Qt). Arguments are the input split at NUL bytes; the first byte picks
// the program. A command line is taken or refused with a reason, and what is
// taken is applied to the settings as a run would.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "cli/cli_options.h"
#include "fuzz/fuzz_support.h"
#include "ui/talvir_options.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using talvir::fuzz::Require;
  if (size == 0 || size > 2048) return 0;
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::vector<std::string_view> args;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\0');
    args.push_back(rest.substr(0, end));
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  if (data[0] & 1) {
    const talvir::TalvirParseResult parsed = talvir::ParseTalvirOptions(args);
    if (parsed.error.empty() && parsed.options.feedPort) {
      Require(*parsed.options.feedPort >= 0 && *parsed.options.feedPort <= 65535);
    }
    return 0;
  }
  const talvir::CliParseResult parsed = talvir::ParseCliOptions(args);
  if (!parsed.error.empty()) return 0;
  const talvir::CliOptions& options = parsed.options;
  talvir::Settings settings;
  talvir::ApplyCliOverrides(options, settings);
  for (auto mode : {&talvir::SettingsRecord::channelAMode, &talvir::SettingsRecord::channelBMode}) {
    Require(settings.Get(mode) >= 0 && settings.Get(mode) <= 2);
  }
  (void)options.records.JsonOnStdout();
  (void)options.ChannelFrequencyKhz();
  if (const auto port = options.FeedPort()) Require(*port >= 0 && *port <= 65535);
  if (options.input) (void)options.Input();
  return 0;
}
