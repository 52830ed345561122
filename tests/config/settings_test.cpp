// The settings file and the folder it lives in.

#include "config/settings.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <fstream>

#include "config/data_folder.h"
#include "support/read_file.h"
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
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  void Save(const char* name, const char* value) {
    const char* old = std::getenv(name);
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    Set(name, value);
  }
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST(DataFolder, UserDataFollowsXdgThenHomeAndIsMadeOrRefused) {
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
  std::ofstream(dir.path() / "file") << "not a folder";
  const std::string file = (dir.path() / "file").string();
  Environment env(file.c_str(), nullptr);
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

class SettingsTest : public ::testing::Test {
 protected:
  void Write(const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }

  testing::TempDir dir;
  const std::filesystem::path file = dir.path() / "talvir.ini";
};

TEST_F(SettingsTest, DefaultsWithoutAFileAndTheFileIsTheRecordImage) {
  Settings s;
  EXPECT_FALSE(s.Load(file));
  for (const auto& [field, value] : {std::pair{&SettingsRecord::settingsLoaded, 0},
                                     {&SettingsRecord::channelAMode, kChannelHf},
                                     {&SettingsRecord::channelBMode, kChannelNone},
                                     {&SettingsRecord::spectrumChannel, kSpectrumChannelA},
                                     {&SettingsRecord::inputLine, 1},
                                     {&SettingsRecord::aircraftTimeoutMinutes, 30},
                                     {&SettingsRecord::reserved, 1},
                                     {&SettingsRecord::showHex, 0}}) {
    EXPECT_EQ(s.Get(field), value);
  }
  EXPECT_EQ(s.Text(&SettingsRecord::acarsDdeItem), "LiveData");
  EXPECT_EQ(s.Text(&SettingsRecord::ostraleFileName), "ostrale.log");

  s.Set(&SettingsRecord::showHex, 1);
  s.Set(&SettingsRecord::inputLine, 2);
  s.SetText(&SettingsRecord::soundCardName, "USB Audio");
  s.SetDxAtlasViews(1.5f, -2.0f);
  ASSERT_TRUE(s.Save(file));
  const std::string bytes = testing::ReadFile(file);
  ASSERT_EQ(bytes.size(), kSettingsRecordSize);
  float view2 = 0;
  std::memcpy(&view2, bytes.data() + 288, 4);
  EXPECT_EQ(view2, -2.0f) << "the second view comes first in the file";
  EXPECT_EQ(bytes.substr(316, 10), std::string("USB Audio\0", 10));
  EXPECT_EQ(bytes.substr(352), std::string(4, '\0')) << "written by a run that read no file";

  Settings second;
  EXPECT_TRUE(second.Load(file));
  EXPECT_EQ(second.Get(&SettingsRecord::settingsLoaded), 1);
  EXPECT_EQ(second.Get(&SettingsRecord::showHex), 1);
  EXPECT_EQ(second.Get(&SettingsRecord::inputLine), 2);
  EXPECT_EQ(second.Text(&SettingsRecord::soundCardName), "USB Audio");
  float view1 = 0;
  second.DxAtlasViews(view1, view2);
  EXPECT_EQ(std::pair(view1, view2), std::pair(1.5f, -2.0f));
  EXPECT_FALSE(second.Save(dir.path() / "no-such-folder" / "talvir.ini"));
}

TEST_F(SettingsTest, ShortFileOverwritesOnlyItsLeadingBytes) {
  std::string bytes(100, '\0');
  bytes.replace(0, 3, "SVC");
  bytes.replace(50, 3, "ITM");
  bytes.replace(75, 5, "ACSVC");
  Write(bytes);
  Settings s;
  EXPECT_TRUE(s.Load(file));
  EXPECT_EQ(s.Text(&SettingsRecord::hfdlDdeService), "SVC");
  EXPECT_EQ(s.Text(&SettingsRecord::hfdlDdeTopic), "");
  EXPECT_EQ(s.Text(&SettingsRecord::hfdlDdeItem), "ITM");
  EXPECT_EQ(s.Text(&SettingsRecord::acarsDdeService), "ACSVC");
  EXPECT_EQ(s.Text(&SettingsRecord::acarsDdeTopic), "ACARS");
  EXPECT_EQ(s.Get(&SettingsRecord::channelAMode), kChannelHf);
  EXPECT_EQ(s.Get(&SettingsRecord::settingsLoaded), 1);
}

TEST_F(SettingsTest, TextsStayInTheirFieldsWhetherReadOrSet) {
  Write(std::string(kSettingsRecordSize, 'x'));
  Settings s;
  ASSERT_TRUE(s.Load(file));
  EXPECT_EQ(s.Text(&SettingsRecord::hfdlDdeService), std::string(24, 'x'));
  EXPECT_EQ(s.Text(&SettingsRecord::ostraleFileName), std::string(79, 'x'));
  EXPECT_EQ(s.Text(&SettingsRecord::soundCardName), std::string(31, 'x'));
  EXPECT_EQ(s.Get(&SettingsRecord::settingsLoaded), 1);

  s.SetText(&SettingsRecord::acarsDdeTopic, std::string(40, 'T'));
  s.SetText(&SettingsRecord::acarsDdeItem, "LiveData");
  s.SetText(&SettingsRecord::soundCardName, std::string(50, 'S'));
  EXPECT_EQ(s.Text(&SettingsRecord::acarsDdeTopic), std::string(24, 'T'));
  EXPECT_EQ(s.Text(&SettingsRecord::soundCardName), std::string(31, 'S'));
  // The neighbour after the cut field is untouched.
  EXPECT_EQ(s.Text(&SettingsRecord::acarsDdeItem), "LiveData");
}

}  // namespace
}  // namespace talvir
