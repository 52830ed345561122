#pragma once
// Where a stream of JSON lines goes, as `--output` names it:
// json:stdout, json:file:PATH, json:udp:HOST:PORT, json:tcp:HOST:PORT.

#include <optional>
#include <string>
#include <string_view>

namespace talvir {

struct OutputTarget {
  enum class Kind { kStdout, kFile, kUdp, kTcp };
  Kind kind = Kind::kStdout;
  std::string path;  // kFile
  std::string host;  // kUdp, kTcp
  int port = 0;
  std::string spec;  // as given, for messages
};

// None, with `error` saying why, for anything else.
std::optional<OutputTarget> ParseOutputTarget(std::string_view spec, std::string& error);

}  // namespace talvir
