#pragma once
// The names file shipped with the program (today's HFDL ground stations),
// put into a configs/ folder that has none.

#include <string_view>

#include "config/data_paths.h"

namespace talvir {

std::string_view DefaultStationNames();

// Writes the shipped names file when the configs/ folder exists and holds no
// names file; a folder the user has not made is left alone. Returns whether
// it wrote the file.
bool InstallDefaultStationNames(const DataPaths& paths);

}  // namespace talvir
