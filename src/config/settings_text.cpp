#include "config/settings_text.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <variant>

namespace talvir {
namespace {

using IntMember = int32_t SettingsRecord::*;
using FloatMember = float SettingsRecord::*;
// A text field: where it starts and how wide it is.
struct TextMember {
  std::size_t offset;
  std::size_t width;
};
#define TALVIR_TEXT_FIELD(name) \
  TextMember { offsetof(SettingsRecord, name), sizeof(SettingsRecord::name) }

struct FieldName {
  std::string_view name;
  std::variant<IntMember, FloatMember, TextMember> member;
};

// Every field but the padding, in file order.
const FieldName kFields[] = {
    {"hfdlDdeService", TALVIR_TEXT_FIELD(hfdlDdeService)},
    {"hfdlDdeTopic", TALVIR_TEXT_FIELD(hfdlDdeTopic)},
    {"hfdlDdeItem", TALVIR_TEXT_FIELD(hfdlDdeItem)},
    {"acarsDdeService", TALVIR_TEXT_FIELD(acarsDdeService)},
    {"acarsDdeTopic", TALVIR_TEXT_FIELD(acarsDdeTopic)},
    {"acarsDdeItem", TALVIR_TEXT_FIELD(acarsDdeItem)},
    {"ostraleLogging", &SettingsRecord::ostraleLogging},
    {"ostraleSingleFile", &SettingsRecord::ostraleSingleFile},
    {"ostraleFileName", TALVIR_TEXT_FIELD(ostraleFileName)},
    {"hfdlLogging", &SettingsRecord::hfdlLogging},
    {"showHex", &SettingsRecord::showHex},
    {"showPreamble", &SettingsRecord::showPreamble},
    {"showMpdu", &SettingsRecord::showMpdu},
    {"showSpdu", &SettingsRecord::showSpdu},
    {"showLpdu", &SettingsRecord::showLpdu},
    {"showBdu", &SettingsRecord::showBdu},
    {"showHfnpdu", &SettingsRecord::showHfnpdu},
    {"verbose", &SettingsRecord::verbose},
    {"squitterSmartDisplay", &SettingsRecord::squitterSmartDisplay},
    {"reserved", &SettingsRecord::reserved},
    {"aircraftTimeoutMinutes", &SettingsRecord::aircraftTimeoutMinutes},
    {"dxAtlasView2", &SettingsRecord::dxAtlasView2},
    {"dxAtlasView1", &SettingsRecord::dxAtlasView1},
    {"channelAMode", &SettingsRecord::channelAMode},
    {"channelBMode", &SettingsRecord::channelBMode},
    {"showVAcars", &SettingsRecord::showVAcars},
    {"showHAcars", &SettingsRecord::showHAcars},
    {"spectrumChannel", &SettingsRecord::spectrumChannel},
    {"soundCardName", TALVIR_TEXT_FIELD(soundCardName)},
    {"inputLine", &SettingsRecord::inputLine},
    {"settingsLoaded", &SettingsRecord::settingsLoaded},
};
#undef TALVIR_TEXT_FIELD

// What a number means, where the field is a choice.
std::string_view Meaning(std::string_view name, int32_t value) {
  if (name == "channelAMode" || name == "channelBMode") {
    switch (value) {
      case kChannelNone: return "none";
      case kChannelVhf: return "vhf";
      case kChannelHf: return "hf";
      default: return "?";
    }
  }
  if (name == "spectrumChannel") {
    switch (value) {
      case kSpectrumOff: return "off";
      case kSpectrumChannelA: return "channel A";
      case kSpectrumChannelB: return "channel B";
      case kSpectrumSum: return "A + B";
      default: return "?";
    }
  }
  if (name == "inputLine") {
    switch (value) {
      case 0: return "microphone";
      case 1: return "line";
      case 2: return "mixer";
      default: return "?";
    }
  }
  return {};
}

}  // namespace

std::string FormatSettingsRecord(const SettingsRecord& record) {
  std::string text;
  char line[160];
  for (const FieldName& field : kFields) {
    if (const auto* member = std::get_if<IntMember>(&field.member)) {
      const int32_t value = record.*(*member);
      const std::string_view meaning = Meaning(field.name, value);
      if (meaning.empty()) {
        std::snprintf(line, sizeof line, "%s = %d\n", field.name.data(), value);
      } else {
        std::snprintf(line, sizeof line, "%s = %d (%s)\n", field.name.data(), value, meaning.data());
      }
    } else if (const auto* member = std::get_if<FloatMember>(&field.member)) {
      std::snprintf(line, sizeof line, "%s = %g\n", field.name.data(), static_cast<double>(record.*(*member)));
    } else {
      const auto& [offset, width] = std::get<TextMember>(field.member);
      const char* chars = reinterpret_cast<const char*>(&record) + offset;
      std::snprintf(line, sizeof line, "%s = \"%.*s\"\n", field.name.data(), static_cast<int>(strnlen(chars, width)),
                    chars);
    }
    text += line;
  }
  return text;
}

}  // namespace talvir
