#include "outputs/log_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "config/settings.h"
#include "support/read_file.h"
#include "support/temp_dir.h"

namespace talvir {
namespace {

// 2026-03-07 12:00:00 UTC
constexpr std::time_t kMarch7Noon = 1772884800;

using testing::ReadFile;

class LogFilesTest : public ::testing::Test {
 protected:
  LogFilesTest() {
    settings.Set(&SettingsRecord::hfdlLogging, 1);
    settings.Set(&SettingsRecord::ostraleLogging, 1);
  }
  LogFiles Logs() { return LogFiles(settings, paths, [this] { return now; }); }
  std::filesystem::path LogDir() const { return paths.LogDir(); }

  testing::TempDir temp;
  DataPaths paths{temp.path()};
  Settings settings;
  std::time_t now = kMarch7Noon;
};

// The limit counts the characters kept, not the carriage returns dropped.
TEST_F(LogFilesTest, HfdlAppendDropsCarriageReturnsWritesCrLfAndKeepsAtMost9999Characters) {
  Logs().HfdlLogAppend("AB\r\nC\r\n");
  Logs().HfdlLogAppend("lone\rreturn\n");
  EXPECT_EQ(ReadFile(LogDir() / "March07.txt"), "AB\r\nC\r\nlonereturn\r\n");
  now += 86400;
  Logs().HfdlLogAppend(std::string(12000, 'x'));
  EXPECT_EQ(ReadFile(LogDir() / "March08.txt"), std::string(9999, 'x'));
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "a\r";
  now += 86400;
  Logs().HfdlLogAppend(text + std::string(6000, 'b'));
  EXPECT_EQ(ReadFile(LogDir() / "March09.txt"), std::string(5000, 'a') + std::string(4999, 'b'));
}

TEST_F(LogFilesTest, DayNamesUseUtcAndOstraleFollowsSingleFileSettings) {
  setenv("TZ", "Pacific/Kiritimati", 1);  // UTC+14: local date differs from UTC
  tzset();
  now = 1767225599;  // 2025-12-31 23:59:59 UTC
  EXPECT_EQ(Logs().HfdlLogPath(), LogDir() / "December31.txt");
  EXPECT_EQ(Logs().OstraleLogPath(), LogDir() / "OsDecember31.log");
  now += 1;  // 2026-01-01 00:00:00 UTC
  EXPECT_EQ(Logs().HfdlLogPath(), LogDir() / "January01.txt");
  unsetenv("TZ");
  tzset();

  now = kMarch7Noon;
  // The single file needs both the option and a name, and stays in the folder.
  for (const auto& [single, name, file] : {std::tuple{1, "ostrale.log", "ostrale.log"},
                                           {1, "", "OsMarch07.log"},
                                           {0, "ostrale.log", "OsMarch07.log"},
                                           {1, "/tmp/escape.log", "tmp/escape.log"}}) {
    settings.Set(&SettingsRecord::ostraleSingleFile, single);
    settings.SetText(&SettingsRecord::ostraleFileName, name);
    EXPECT_EQ(Logs().OstraleLogPath(), LogDir() / file) << name;
  }
}

// The folder is made on the first write; an unwritable one is skipped.
TEST_F(LogFilesTest, OstraleWritesTextAsGivenWithCrLfAndEachLogHasItsSwitch) {
  ASSERT_FALSE(std::filesystem::exists(LogDir()));
  Logs().OstraleLogAppend("one\r\ntwo\n");
  Logs().OstraleLogAppend("three\n");
  EXPECT_EQ(ReadFile(LogDir() / "OsMarch07.log"), "one\r\r\ntwo\r\nthree\r\n");

  std::filesystem::remove_all(LogDir());
  settings.Set(&SettingsRecord::hfdlLogging, 0);
  settings.Set(&SettingsRecord::ostraleLogging, 0);
  Logs().HfdlLogAppend("text\r\n");
  Logs().OstraleLogAppend("message\n");
  EXPECT_FALSE(std::filesystem::exists(LogDir()));

  settings.Set(&SettingsRecord::hfdlLogging, 1);
  settings.Set(&SettingsRecord::ostraleLogging, 1);
  std::ofstream(LogDir()) << "a file where the folder should be";
  Logs().HfdlLogAppend("text\r\n");
  Logs().OstraleLogAppend("message\n");
  EXPECT_TRUE(std::filesystem::is_regular_file(LogDir()));
}

}  // namespace
}  // namespace talvir
