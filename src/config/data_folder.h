#pragma once
// Which folder holds configs/ and logfiles/ for this run: the one the user
// names, the user's own data folder (the desktop menu's choice, because the
// menu starts programs in folders they may not write to), or the working
// directory.

#include <filesystem>
#include <optional>
#include <string>

#include "config/data_paths.h"

namespace talvir {

struct DataFolderChoice {
  std::optional<std::filesystem::path> configDir;  // must exist
  bool userData = false;                          // made when missing
};

// $XDG_DATA_HOME/talvir, else $HOME/.local/share/talvir; empty when neither
// variable gives an absolute folder.
std::filesystem::path UserDataFolder();

// The paths for the choice, or nothing with a message for the user.
std::optional<DataPaths> ChooseDataPaths(const DataFolderChoice& choice, std::string& error);

}  // namespace talvir
