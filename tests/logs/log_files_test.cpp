#include "outputs/log_files.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
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

TEST_F(LogFilesTest, HfdlAppendDropsCarriageReturnsAndWritesCrLf) {
  Logs().HfdlLogAppend("AB\r\nC\r\n");
  EXPECT_EQ(ReadFile(LogDir() / "March07.txt"), "AB\r\nC\r\n");
  Logs().HfdlLogAppend("lone\rreturn\n");
  EXPECT_EQ(ReadFile(LogDir() / "March07.txt"), "AB\r\nC\r\nlonereturn\r\n");
}

// The limit counts the characters kept, not the carriage returns dropped.
TEST_F(LogFilesTest, HfdlAppendKeepsAtMost9999Characters) {
  Logs().HfdlLogAppend(std::string(12000, 'x'));
  EXPECT_EQ(ReadFile(LogDir() / "March07.txt"), std::string(9999, 'x'));
  std::string text;
  for (int i = 0; i < 5000; ++i) text += "a\r";
  text += std::string(6000, 'b');
  now += 86400;
  Logs().HfdlLogAppend(text);
  EXPECT_EQ(ReadFile(LogDir() / "March08.txt"), std::string(5000, 'a') + std::string(4999, 'b'));
}

TEST_F(LogFilesTest, DayNamesUseUtcMonthNameAndTwoDigitDay) {
  setenv("TZ", "Pacific/Kiritimati", 1);  // UTC+14: local date differs from UTC
  tzset();
  now = 1767225599;  // 2025-12-31 23:59:59 UTC
  EXPECT_EQ(Logs().HfdlLogPath(), LogDir() / "December31.txt");
  EXPECT_EQ(Logs().OstraleLogPath(), LogDir() / "OsDecember31.log");
  Logs().HfdlLogAppend("last\r\n");
  now += 1;  // 2026-01-01 00:00:00 UTC
  EXPECT_EQ(Logs().HfdlLogPath(), LogDir() / "January01.txt");
  Logs().HfdlLogAppend("first\r\n");
  EXPECT_EQ(ReadFile(LogDir() / "December31.txt"), "last\r\n");
  EXPECT_EQ(ReadFile(LogDir() / "January01.txt"), "first\r\n");
  unsetenv("TZ");
  tzset();
}

TEST_F(LogFilesTest, OstralePathFollowsSingleFileSettings) {
  settings.Set(&SettingsRecord::ostraleSingleFile, 1);
  settings.SetText(&SettingsRecord::ostraleFileName, "ostrale.log");
  EXPECT_EQ(Logs().OstraleLogPath(), LogDir() / "ostrale.log");

  settings.SetText(&SettingsRecord::ostraleFileName, "");
  EXPECT_EQ(Logs().OstraleLogPath(), LogDir() / "OsMarch07.log");

  settings.Set(&SettingsRecord::ostraleSingleFile, 0);
  settings.SetText(&SettingsRecord::ostraleFileName, "ostrale.log");
  EXPECT_EQ(Logs().OstraleLogPath(), LogDir() / "OsMarch07.log");

  settings.Set(&SettingsRecord::ostraleSingleFile, 1);
  settings.SetText(&SettingsRecord::ostraleFileName, "/tmp/escape.log");
  EXPECT_EQ(Logs().OstraleLogPath(), LogDir() / "tmp/escape.log");
}

// The folder is made on the first write.
TEST_F(LogFilesTest, OstraleWritesTextAsGivenWithCrLf) {
  ASSERT_FALSE(std::filesystem::exists(LogDir()));
  Logs().OstraleLogAppend("one\r\ntwo\n");
  Logs().OstraleLogAppend("three\n");
  EXPECT_EQ(ReadFile(LogDir() / "OsMarch07.log"), "one\r\r\ntwo\r\nthree\r\n");
}

TEST_F(LogFilesTest, SettingsSwitchEachLogOff) {
  settings.Set(&SettingsRecord::hfdlLogging, 0);
  settings.Set(&SettingsRecord::ostraleLogging, 0);
  Logs().HfdlLogAppend("text\r\n");
  Logs().OstraleLogAppend("message\n");
  EXPECT_FALSE(std::filesystem::exists(LogDir()));
}

TEST_F(LogFilesTest, UnwritableLogFolderIsSkippedSilently) {
  std::ofstream(LogDir()) << "a file where the folder should be";
  Logs().HfdlLogAppend("text\r\n");
  Logs().OstraleLogAppend("message\n");
  EXPECT_TRUE(std::filesystem::is_regular_file(LogDir()));
}

}  // namespace
}  // namespace talvir
