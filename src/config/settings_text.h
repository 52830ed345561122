#pragma once
// The settings record as text, one "name = value" line per field in file
// order, for people who cannot open the settings dialogs.

#include <string>

#include "config/settings_record.h"

namespace talvir {

std::string FormatSettingsRecord(const SettingsRecord& record);

}  // namespace talvir
