#include "config/data_folder.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "support/temp_dir.h"

namespace talvir {
namespace {

// Sets the variables for one test and puts the old values back.
class Environment {
 public:
  Environment(const char* xdg, const char* home) {
    Save("XDG_DATA_HOME", xdg);
    Save("HOME", home);
  }
  ~Environment() {
    for (const auto& [name, value] : saved_) Set(name.c_str(), value ? value->c_str() : nullptr);
  }

 private:
  static void Set(const char* name, const char* value) {
    if (value) ::setenv(name, value, 1);
    else ::unsetenv(name);
  }
  void Save(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    Set(name, value);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(DataFolder, UserDataFollowsXdgThenHomeAndIsMade) {
  testing::TempDir dir;
  const std::string xdg = (dir.path() / "xdg").string();
  const std::string home = (dir.path() / "home").string();
  {
    Environment env(xdg.c_str(), home.c_str());
    std::string error;
    const auto paths = ChooseDataPaths({.userData = true}, error);
    ASSERT_TRUE(paths) << error;
    EXPECT_EQ(paths->base, dir.path() / "xdg" / "talvir");
    EXPECT_TRUE(std::filesystem::is_directory(paths->base));
  }
  {
    // A relative XDG_DATA_HOME is ignored, as the XDG rules say.
    Environment env("relative/data", home.c_str());
    EXPECT_EQ(UserDataFolder(), dir.path() / "home" / ".local" / "share" / "talvir");
  }
  {
    Environment env(nullptr, nullptr);
    std::string error;
    EXPECT_FALSE(ChooseDataPaths({.userData = true}, error));
    EXPECT_NE(error.find("--user-data"), std::string::npos);
  }
}

TEST(DataFolder, UserDataThatCannotBeMadeIsAnError) {
  testing::TempDir dir;
  std::ofstream(dir.path() / "file") << "not a folder";
  const std::string xdg = (dir.path() / "file").string();
  Environment env(xdg.c_str(), nullptr);
  std::string error;
  EXPECT_FALSE(ChooseDataPaths({.userData = true}, error));
  EXPECT_NE(error.find("cannot make"), std::string::npos) << error;
}

TEST(DataFolder, ConfigDirMustExistAndExcludesUserData) {
  testing::TempDir dir;
  std::string error;
  auto paths = ChooseDataPaths({.configDir = dir.path()}, error);
  ASSERT_TRUE(paths);
  EXPECT_EQ(paths->SettingsFile(), dir.path() / "configs" / "talvir.ini");

  EXPECT_FALSE(ChooseDataPaths({.configDir = dir.path() / "missing"}, error));
  EXPECT_NE(error.find("does not exist"), std::string::npos) << error;
  EXPECT_FALSE(ChooseDataPaths({.configDir = dir.path(), .userData = true}, error));
  EXPECT_NE(error.find("give one"), std::string::npos) << error;

  paths = ChooseDataPaths({}, error);
  ASSERT_TRUE(paths);
  EXPECT_EQ(paths->base, ".");
}

}  // namespace
}  // namespace talvir
