#include "config/settings.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "support/temp_dir.h"

namespace talvir {
namespace {

std::vector<char> ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::filesystem::path& file, const std::vector<char>& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

TEST(Settings, DefaultsWhenNoFile) {
  testing::TempDir dir;
  Settings s;
  EXPECT_FALSE(s.Load(dir.path() / "talvir.ini"));
  EXPECT_EQ(s.Get(&SettingsRecord::settingsLoaded), 0);
  EXPECT_EQ(s.Get(&SettingsRecord::channelAMode), kChannelHf);
  EXPECT_EQ(s.Get(&SettingsRecord::channelBMode), kChannelNone);
  EXPECT_EQ(s.Get(&SettingsRecord::spectrumChannel), kSpectrumChannelA);
  EXPECT_EQ(s.Get(&SettingsRecord::inputLine), 1);
  EXPECT_EQ(s.Get(&SettingsRecord::aircraftTimeoutMinutes), 30);
  EXPECT_EQ(s.Get(&SettingsRecord::reserved), 1);
  EXPECT_EQ(s.Get(&SettingsRecord::showHex), 0);
  EXPECT_EQ(s.Get(&SettingsRecord::verbose), 0);
  EXPECT_EQ(s.Text(&SettingsRecord::hfdlDdeService), "TALVIR");
  EXPECT_EQ(s.Text(&SettingsRecord::hfdlDdeTopic), "HFDL");
  EXPECT_EQ(s.Text(&SettingsRecord::hfdlDdeItem), "Aircraft");
  EXPECT_EQ(s.Text(&SettingsRecord::acarsDdeService), "TALVIR");
  EXPECT_EQ(s.Text(&SettingsRecord::acarsDdeTopic), "ACARS");
  EXPECT_EQ(s.Text(&SettingsRecord::acarsDdeItem), "LiveData");
  EXPECT_EQ(s.Text(&SettingsRecord::ostraleFileName), "ostrale.log");
  EXPECT_EQ(s.Text(&SettingsRecord::soundCardName), "");
}

TEST(Settings, FileIsTheRecordImageAtItsOffsets) {
  testing::TempDir dir;
  const auto file = dir.path() / "talvir.ini";
  Settings s;
  s.Set(&SettingsRecord::showHex, 1);
  s.Set(&SettingsRecord::channelBMode, kChannelVhf);
  s.Set(&SettingsRecord::inputLine, 2);
  s.SetText(&SettingsRecord::soundCardName, "USB Audio");
  s.SetDxAtlasViews(1.5f, -2.0f);
  ASSERT_TRUE(s.Save(file));

  const std::vector<char> bytes = ReadAll(file);
  ASSERT_EQ(bytes.size(), 356u);
  auto int_at = [&](std::size_t offset) {
    int32_t v;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
  };
  auto float_at = [&](std::size_t offset) {
    float v;
    std::memcpy(&v, bytes.data() + offset, 4);
    return v;
  };
  EXPECT_STREQ(bytes.data() + 0, "TALVIR");
  EXPECT_STREQ(bytes.data() + 100, "ACARS");
  EXPECT_STREQ(bytes.data() + 160, "ostrale.log");
  EXPECT_EQ(int_at(244), 1);    // showHex
  EXPECT_EQ(int_at(280), 1);    // reserved
  EXPECT_EQ(int_at(284), 30);   // timeout
  EXPECT_EQ(float_at(288), -2.0f);  // view 2
  EXPECT_EQ(float_at(292), 1.5f);   // view 1
  EXPECT_EQ(int_at(296), 2);    // channel A HF
  EXPECT_EQ(int_at(300), 1);    // channel B VHF
  EXPECT_EQ(int_at(312), 1);    // spectrum A
  EXPECT_STREQ(bytes.data() + 316, "USB Audio");
  EXPECT_EQ(int_at(348), 2);
  EXPECT_EQ(int_at(352), 0);    // written by a run that read no file

  Settings second;
  EXPECT_TRUE(second.Load(file));
  EXPECT_EQ(second.Get(&SettingsRecord::settingsLoaded), 1);
  EXPECT_EQ(second.Get(&SettingsRecord::showHex), 1);
  EXPECT_EQ(second.Get(&SettingsRecord::inputLine), 2);
  EXPECT_EQ(second.Text(&SettingsRecord::soundCardName), "USB Audio");
  EXPECT_FALSE(second.Save(dir.path() / "no-such-folder" / "talvir.ini"));
}

TEST(Settings, ShortFileOverwritesOnlyItsLeadingBytes) {
  testing::TempDir dir;
  const auto file = dir.path() / "talvir.ini";
  std::vector<char> bytes(100, 0);
  std::memcpy(bytes.data() + 0, "SVC", 4);
  std::memcpy(bytes.data() + 25, "TOP", 4);
  std::memcpy(bytes.data() + 50, "ITM", 4);
  std::memcpy(bytes.data() + 75, "ACSVC", 6);
  WriteAll(file, bytes);

  Settings s;
  EXPECT_TRUE(s.Load(file));
  EXPECT_EQ(s.Text(&SettingsRecord::hfdlDdeService), "SVC");
  EXPECT_EQ(s.Text(&SettingsRecord::hfdlDdeItem), "ITM");
  EXPECT_EQ(s.Text(&SettingsRecord::acarsDdeService), "ACSVC");
  EXPECT_EQ(s.Text(&SettingsRecord::acarsDdeTopic), "ACARS");
  EXPECT_EQ(s.Get(&SettingsRecord::channelAMode), kChannelHf);
  EXPECT_EQ(s.Get(&SettingsRecord::settingsLoaded), 1);
}

TEST(Settings, TextsStayInTheirFieldsWhetherReadOrSet) {
  testing::TempDir dir;
  const auto file = dir.path() / "talvir.ini";
  std::vector<char> bytes(356, 'x');
  WriteAll(file, bytes);

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
