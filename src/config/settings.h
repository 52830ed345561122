#pragma once
// The settings record in memory, shared by the window thread (which edits it)
// and the worker (which reads fields at the moment of use). Integer fields are
// read and written atomically one at a time; text fields are copied under the
// record's lock.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

#include "config/settings_record.h"

namespace talvir {

class Settings {
 public:
  Settings();

  void SetDefaults();
  // Defaults, then the leading bytes of the file over them. Returns
  // settingsLoaded: false when the file could not be opened.
  bool Load(const std::filesystem::path& file);
  // Writes the whole record; false (and nothing else) when that fails.
  bool Save(const std::filesystem::path& file) const;

  using IntField = int32_t SettingsRecord::*;
  int32_t Get(IntField field) const;
  void Set(IntField field, int32_t value);
  bool On(IntField field) const { return Get(field) == 1; }

  template <std::size_t N>
  std::string Text(char (SettingsRecord::*field)[N]) const {
    std::lock_guard lock(textLock_);
    const char* text = record_.*field;
    return std::string(text, strnlen(text, N));
  }
  // Longer texts are cut to the field's width less its terminator.
  template <std::size_t N>
  void SetText(char (SettingsRecord::*field)[N], std::string_view text) {
    std::lock_guard lock(textLock_);
    CopyText(record_.*field, N, text);
  }

  void DxAtlasViews(float& view1, float& view2) const;
  void SetDxAtlasViews(float view1, float view2);

  // The raw image, for tests and the file.
  SettingsRecord Snapshot() const;

 private:
  static void CopyText(char* field, std::size_t width, std::string_view text);
  void TerminateTexts();

  SettingsRecord record_{};
  mutable std::mutex textLock_;
};

}  // namespace talvir
