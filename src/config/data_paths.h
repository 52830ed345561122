#pragma once
// Where the program keeps its files: configs/ and logfiles/ below one base
// folder (the working directory unless the user names another).

#include <filesystem>

namespace talvir {

struct DataPaths {
  std::filesystem::path base = ".";

  std::filesystem::path ConfigDir() const { return base / "configs"; }
  std::filesystem::path SettingsFile() const { return ConfigDir() / "talvir.ini"; }
  std::filesystem::path StationNamesFile() const { return ConfigDir() / "talvir.txt"; }
  std::filesystem::path SystemTableFile() const { return ConfigDir() / "talvir.dat"; }
  std::filesystem::path LogDir() const { return base / "logfiles"; }
};

}  // namespace talvir
