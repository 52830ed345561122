#pragma once
// The whole protocol decoder chain (HFNPDU, system-table and ACARS decoders
// included) with chosen display options on and all others off, its records
// kept.

#include <initializer_list>

#include "config/settings.h"
#include "outputs/log_files.h"
#include "protocol/protocol_stack.h"
#include "protocol/recording_record_sink.h"
#include "support/recording_ui_link.h"
#include "support/temp_dir.h"

namespace talvir::testing {

// The main window's HFDL check boxes, and HFDL logging.
inline constexpr Settings::IntField kHfdlTextOptions[] = {
    &SettingsRecord::showHex,    &SettingsRecord::showPreamble, &SettingsRecord::showMpdu,   &SettingsRecord::showSpdu,
    &SettingsRecord::showLpdu,   &SettingsRecord::showBdu,      &SettingsRecord::showHfnpdu, &SettingsRecord::verbose,
    &SettingsRecord::showHAcars, &SettingsRecord::hfdlLogging};

inline void ShowOnly(Settings& settings, std::initializer_list<Settings::IntField> shown) {
  for (auto field : kHfdlTextOptions) settings.Set(field, 0);
  for (auto field : shown) settings.Set(field, 1);
}

struct FullChain {
  explicit FullChain(std::initializer_list<Settings::IntField> shown) { ShowOnly(settings, shown); }

  RecordingUiLink ui;
  TempDir dir;
  Settings settings;
  LogFiles logs{settings, DataPaths{dir.path()}};
  NoExternalOutputs outputs;
  RecordingRecordSink records;
  ProtocolStack stack{settings, logs, outputs, outputs, SystemUtcNow, records, ui};
};

}  // namespace talvir::testing
