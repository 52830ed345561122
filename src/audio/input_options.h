#pragma once
// The options beside --input that say what it is, parsed the same way by
// both programs: --iq, --iq-format FMT, --iq-rate HZ, --iq-dial HZ,
// --udp-channels N, and a receiver's --sdr-rate HZ and --sdr-gain DB.

#include <optional>
#include <string>
#include <string_view>

#include "audio/input_source.h"

namespace talvir {

struct InputOptions {
  bool iq = false;
  std::optional<IqFormat> iqFormat{};
  std::optional<double> iqRate{};
  std::optional<double> iqDialHz{};
  std::optional<int> udpChannels{};
  // A live receiver (--device soapy:ARGS) instead of --input.
  std::optional<std::string> sdrArgs{};
  std::optional<double> sdrRate{};
  std::optional<double> sdrGainDb{};  // none: automatic

  bool Iq() const { return iq || iqFormat.has_value() || sdrArgs.has_value(); }
  // The HFDL channel's dial in kHz for a receiver tuned to `receiverKhz`
  // (--freq): for I/Q, the centre of the band moved by --iq-dial.
  std::optional<double> ChannelKhz(std::optional<double> receiverKhz) const;
  // receiverKhz: where a live receiver is tuned (--freq).
  InputSpec Spec(std::string path, std::optional<double> receiverKhz = std::nullopt) const;
};

enum class InputOptionKind { kOther, kFlag, kValue };
InputOptionKind InputOptionKindOf(std::string_view name);

// Sets the option `name` (a kFlag or kValue option; a flag's value is
// ignored). Returns the reason when the value is bad, else "".
std::string SetInputOption(std::string_view name, std::string_view value, InputOptions& options);

// Options that do not fit the input (none: no --input): the reason, or "".
std::string InputOptionsMismatch(const std::optional<std::string>& input, const InputOptions& options);

// The help lines of the options, 80 columns.
std::string_view InputOptionsHelp();

}  // namespace talvir
