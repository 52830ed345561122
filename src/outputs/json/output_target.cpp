#include "outputs/json/output_target.h"

#include <charconv>

namespace talvir {

std::optional<OutputTarget> ParseOutputTarget(std::string_view spec, std::string& error) {
  OutputTarget target;
  target.spec = std::string(spec);
  const auto fail = [&](std::string_view why) {
    error = "--output " + target.spec + ": " + std::string(why);
    return std::nullopt;
  };
  constexpr std::string_view kFormat = "json:";
  if (!spec.starts_with(kFormat)) {
    return fail("the format must be json (json:stdout, json:file:PATH, json:udp:HOST:PORT or json:tcp:HOST:PORT)");
  }
  const std::string_view where = spec.substr(kFormat.size());
  if (where == "stdout") return target;
  if (where.starts_with("file:")) {
    target.kind = OutputTarget::Kind::kFile;
    target.path = std::string(where.substr(5));
    if (target.path.empty()) return fail("json:file: needs a file name");
    return target;
  }
  const bool udp = where.starts_with("udp:");
  if (!udp && !where.starts_with("tcp:")) return fail("the destination must be stdout, file:PATH, udp:HOST:PORT or tcp:HOST:PORT");
  target.kind = udp ? OutputTarget::Kind::kUdp : OutputTarget::Kind::kTcp;
  const std::string_view address = where.substr(4);
  const std::size_t colon = address.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return fail("needs HOST:PORT, for example 127.0.0.1:5556");
  target.host = std::string(address.substr(0, colon));
  const std::string_view port = address.substr(colon + 1);
  const auto parsed = std::from_chars(port.data(), port.data() + port.size(), target.port);
  if (parsed.ec != std::errc() || parsed.ptr != port.data() + port.size() || target.port < 1 || target.port > 65535) {
    return fail("'" + std::string(port) + "' is not a port number (1 to 65535)");
  }
  return target;
}

}  // namespace talvir
