#include "tracking/default_station_names.h"

#include <fstream>

#include "default_station_names_text.h"

namespace talvir {

std::string_view DefaultStationNames() { return kDefaultStationNamesText; }

bool InstallDefaultStationNames(const DataPaths& paths) {
  std::error_code ec;
  if (!std::filesystem::is_directory(paths.ConfigDir(), ec) || std::filesystem::exists(paths.StationNamesFile(), ec)) {
    return false;
  }
  std::ofstream out(paths.StationNamesFile(), std::ios::binary);
  out << DefaultStationNames();
  return static_cast<bool>(out.flush());
}

}  // namespace talvir
