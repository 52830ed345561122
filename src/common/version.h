#pragma once
// The line that every program prints for --version: name, version and the
// commit it was built from ("+changes" when built with uncommitted changes).

#include <string>
#include <string_view>

namespace talvir {

// "talvir-cli 0.3.0 (d15de27)"
std::string VersionLine(std::string_view program);
// "0.3.0 (d15de27)"
std::string VersionText();

}  // namespace talvir
