#include "config/data_folder.h"

#include <cstdlib>
#include <system_error>

namespace talvir {
namespace {

std::optional<std::filesystem::path> AbsoluteFromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') return std::nullopt;
  std::filesystem::path path(value);
  if (!path.is_absolute()) return std::nullopt;  // the XDG rule: relative values are ignored
  return path;
}

}  // namespace

std::filesystem::path UserDataFolder() {
  if (auto xdg = AbsoluteFromEnvironment("XDG_DATA_HOME")) return *xdg / "talvir";
  if (auto home = AbsoluteFromEnvironment("HOME")) return *home / ".local" / "share" / "talvir";
  return {};
}

std::optional<DataPaths> ChooseDataPaths(const DataFolderChoice& choice, std::string& error) {
  std::error_code ec;
  if (choice.configDir && choice.userData) {
    error = "--config-dir and --user-data both name the data folder: give one of them";
    return std::nullopt;
  }
  if (choice.configDir) {
    if (!std::filesystem::is_directory(*choice.configDir, ec)) {
      error = "--config-dir: " + choice.configDir->string() +
              (std::filesystem::exists(*choice.configDir, ec) ? " is not a folder" : " does not exist (create it first)");
      return std::nullopt;
    }
    return DataPaths{*choice.configDir};
  }
  if (choice.userData) {
    const std::filesystem::path folder = UserDataFolder();
    if (folder.empty()) {
      error = "--user-data: neither XDG_DATA_HOME nor HOME names an absolute folder";
      return std::nullopt;
    }
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder, ec)) {
      error = "--user-data: cannot make " + folder.string() + (ec ? ": " + ec.message() : std::string());
      return std::nullopt;
    }
    return DataPaths{folder};
  }
  return DataPaths{};
}

}  // namespace talvir
