#include "outputs/records/record_output_options.h"

#include <array>
#include <charconv>
#include <cmath>

namespace talvir {

namespace {

constexpr std::array<std::string_view, 4> kOptionNames = {"--output", "--station-id", "--freq", "--sbs-port"};

std::string SetSbsPort(std::string_view value, RecordOutputOptions& options) {
  const std::size_t colon = value.rfind(':');
  if (colon != std::string_view::npos) options.sbsHost = std::string(value.substr(0, colon));
  options.sbsPort = ParsePortNumber(colon == std::string_view::npos ? value : value.substr(colon + 1));
  if (!options.sbsPort) {
    return "--sbs-port: '" + std::string(value) + "' is not a port number (1 to 65535), or ADDRESS:PORT";
  }
  return {};
}

std::string SetFrequency(std::string_view value, RecordOutputOptions& options) {
  options.frequencyKhz = ParsePositiveNumber(value);
  if (!options.frequencyKhz) return "--freq: '" + std::string(value) + "' is not a positive number of kHz";
  return {};
}

}  // namespace

std::optional<double> ParsePositiveNumber(std::string_view text) {
  double value = 0;
  const auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
  if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size() || !std::isfinite(value) || value <= 0) {
    return std::nullopt;
  }
  return value;
}

bool RecordOutputOptions::JsonOnStdout() const {
  for (const OutputTarget& target : outputs) {
    if (target.kind == OutputTarget::Kind::kStdout) return true;
  }
  return false;
}

bool IsRecordOutputOption(std::string_view name) {
  for (const std::string_view option : kOptionNames) {
    if (name == option) return true;
  }
  return false;
}

std::string SetRecordOutputOption(std::string_view name, std::string_view value, RecordOutputOptions& options) {
  if (name == "--output") {
    std::string error;
    if (auto target = ParseOutputTarget(value, error)) options.outputs.push_back(std::move(*target));
    return error;
  }
  if (name == "--station-id") {
    if (value.empty()) return "--station-id needs a name";
    options.stationId = std::string(value);
    return {};
  }
  if (name == "--freq") return SetFrequency(value, options);
  return SetSbsPort(value, options);
}

std::optional<int> ParsePortNumber(std::string_view text) {
  int port = 0;
  const auto parsed = std::from_chars(text.data(), text.data() + text.size(), port);
  if (parsed.ec != std::errc() || parsed.ptr != text.data() + text.size() || port < 1 || port > 65535) {
    return std::nullopt;
  }
  return port;
}

std::string_view RecordOutputOptionsHelp() {
  return "  --output TARGET     also write every decoded PDU and message as one JSON\n"
         "                      object a line, as HFDL and ACARS aggregators read them;\n"
         "                      TARGET is json:stdout (talvir-cli prints no decoded\n"
         "                      text then), json:file:PATH (appended),\n"
         "                      json:udp:HOST:PORT or json:tcp:HOST:PORT; give it once\n"
         "                      for each target. A peer that is down or slow is never\n"
         "                      waited for: what cannot be sent is dropped, said once\n"
         "                      and counted (talvir-cli --summary, the Statistics\n"
         "                      window)\n"
         "  --station-id NAME   name this receiver in the JSON records\n"
         "  --freq KHZ          the receiver's frequency in kHz: the dial for audio,\n"
         "                      the centre of the band for I/Q; the JSON records\n"
         "                      carry the channel's dial in Hz\n"
         "  --sbs-port PORT     serve aircraft positions as Basestation (SBS) lines on\n"
         "                      127.0.0.1 port PORT, for map programs; ADDRESS:PORT\n"
         "                      listens on that address instead (0.0.0.0: every one)\n";
}

}  // namespace talvir
