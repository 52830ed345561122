#include "config/settings.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <span>

#include "common/replace_file.h"

namespace talvir {

Settings::Settings() { SetDefaults(); }

void Settings::CopyText(char* field, std::size_t width, std::string_view text) {
  const std::size_t n = std::min(text.size(), width - 1);
  std::memcpy(field, text.data(), n);
  field[n] = '\0';
}

void Settings::SetDefaults() {
  {
    std::lock_guard lock(textLock_);
    CopyText(record_.hfdlDdeService, sizeof record_.hfdlDdeService, "TALVIR");
    CopyText(record_.hfdlDdeTopic, sizeof record_.hfdlDdeTopic, "HFDL");
    CopyText(record_.hfdlDdeItem, sizeof record_.hfdlDdeItem, "Aircraft");
    CopyText(record_.acarsDdeService, sizeof record_.acarsDdeService, "TALVIR");
    CopyText(record_.acarsDdeTopic, sizeof record_.acarsDdeTopic, "ACARS");
    CopyText(record_.acarsDdeItem, sizeof record_.acarsDdeItem, "LiveData");
    CopyText(record_.ostraleFileName, sizeof record_.ostraleFileName, "ostrale.log");
    CopyText(record_.soundCardName, sizeof record_.soundCardName, "");
  }
  for (IntField f : {&SettingsRecord::ostraleLogging, &SettingsRecord::ostraleSingleFile,
                     &SettingsRecord::hfdlLogging, &SettingsRecord::showHex,
                     &SettingsRecord::showPreamble, &SettingsRecord::showMpdu,
                     &SettingsRecord::showSpdu, &SettingsRecord::showLpdu,
                     &SettingsRecord::showBdu, &SettingsRecord::showHfnpdu,
                     &SettingsRecord::verbose, &SettingsRecord::squitterSmartDisplay,
                     &SettingsRecord::showVAcars, &SettingsRecord::showHAcars,
                     &SettingsRecord::settingsLoaded}) {
    Set(f, 0);
  }
  Set(&SettingsRecord::reserved, 1);
  Set(&SettingsRecord::aircraftTimeoutMinutes, 30);
  Set(&SettingsRecord::channelAMode, kChannelHf);
  Set(&SettingsRecord::channelBMode, kChannelNone);
  Set(&SettingsRecord::spectrumChannel, kSpectrumChannelA);
  Set(&SettingsRecord::inputLine, 1);
  SetDxAtlasViews(0.0f, 0.0f);
}

bool Settings::Load(const std::filesystem::path& file) {
  SetDefaults();
  std::ifstream in(file, std::ios::binary);
  if (!in) return false;
  {
    std::lock_guard lock(textLock_);
    in.read(reinterpret_cast<char*>(&record_), sizeof record_);
    TerminateTexts();
  }
  Set(&SettingsRecord::settingsLoaded, 1);
  return true;
}

// A file written by something else may hold texts without terminators; each
// text must end inside its own field so that none runs into the next.
void Settings::TerminateTexts() {
  record_.hfdlDdeService[sizeof record_.hfdlDdeService - 1] = '\0';
  record_.hfdlDdeTopic[sizeof record_.hfdlDdeTopic - 1] = '\0';
  record_.hfdlDdeItem[sizeof record_.hfdlDdeItem - 1] = '\0';
  record_.acarsDdeService[sizeof record_.acarsDdeService - 1] = '\0';
  record_.acarsDdeTopic[sizeof record_.acarsDdeTopic - 1] = '\0';
  record_.acarsDdeItem[sizeof record_.acarsDdeItem - 1] = '\0';
  record_.ostraleFileName[sizeof record_.ostraleFileName - 1] = '\0';
  record_.soundCardName[sizeof record_.soundCardName - 1] = '\0';
}

bool Settings::Save(const std::filesystem::path& file) const {
  const SettingsRecord image = Snapshot();
  return ReplaceFile(file, std::as_bytes(std::span(&image, 1)));
}

int32_t Settings::Get(IntField field) const {
  return std::atomic_ref<int32_t>(const_cast<int32_t&>(record_.*field))
      .load(std::memory_order_relaxed);
}

void Settings::Set(IntField field, int32_t value) {
  std::atomic_ref<int32_t>(record_.*field).store(value, std::memory_order_relaxed);
}

void Settings::DxAtlasViews(float& view1, float& view2) const {
  std::lock_guard lock(textLock_);
  view1 = record_.dxAtlasView1;
  view2 = record_.dxAtlasView2;
}

void Settings::SetDxAtlasViews(float view1, float view2) {
  std::lock_guard lock(textLock_);
  record_.dxAtlasView1 = view1;
  record_.dxAtlasView2 = view2;
}

SettingsRecord Settings::Snapshot() const {
  std::lock_guard lock(textLock_);
  SettingsRecord image;
  std::memcpy(&image, &record_, sizeof image);
  return image;
}

}  // namespace talvir
