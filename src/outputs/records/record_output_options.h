#pragma once
// The options that send the decoders' records to other programs, parsed the
// same way by both programs: --output json:WHERE (once per destination),
// --station-id NAME, --freq KHZ and --sbs-port [ADDRESS:]PORT.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "outputs/json/output_target.h"

namespace talvir {

struct RecordOutputOptions {
  std::vector<OutputTarget> outputs;     // JSON records, in the order given
  std::optional<std::string> stationId;  // names the feeder in the records
  // The receiver's frequency: its dial for audio, the centre of the band for I/Q.
  std::optional<double> frequencyKhz;
  std::optional<int> sbsPort;         // Basestation lines served on this port
  std::string sbsHost = "127.0.0.1";  // and address

  // JSON on stdout takes the place of the decoded text there.
  bool JsonOnStdout() const;
};

// Whether `name` is one of these options; each takes a value.
bool IsRecordOutputOption(std::string_view name);

// Sets the option `name`. Returns the reason when the value is bad, else "".
std::string SetRecordOutputOption(std::string_view name, std::string_view value, RecordOutputOptions& options);

// A finite number above zero, the whole text.
std::optional<double> ParsePositiveNumber(std::string_view text);

// A TCP or UDP port, 1 to 65535.
std::optional<int> ParsePortNumber(std::string_view text);

// The help lines of the options, 80 columns.
std::string_view RecordOutputOptionsHelp();

}  // namespace talvir
