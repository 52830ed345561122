#pragma once
// The main window's template: caption, size, controls and menu commands.

#include <array>

#include "config/settings_record.h"
#include "ui/dialog_template.h"

namespace talvir {

inline constexpr const char* kMainDialogCaption = "TALVIR 635-4 HFDL Decoder V2.042";
inline constexpr int kMainDialogWidth = 465;  // dialog units
inline constexpr int kMainDialogHeight = 267;

namespace main_dialog {
inline constexpr int kWaterfallBox = 1036;
inline constexpr int kGainUpDown = 1033;
inline constexpr int kConstellationBox = 1076;
inline constexpr int kFlightDetails = 1037;
inline constexpr int kSquitterLine = 1018;
inline constexpr int kModemStatus = 1014;
inline constexpr int kTextWindow = 1002;
inline constexpr int kFlightList = 1012;
inline constexpr int kDxAtlas = 1020;
inline constexpr int kGoogleEarth = 1087;
inline constexpr int kSquitters = 1023;
inline constexpr int kSysTable = 1089;
inline constexpr int kClearText = 1006;
inline constexpr int kDeleteFlight = 1021;
inline constexpr int kHelp = 57670;

// Menu commands.
inline constexpr int kDdeConfiguration = 32778;
inline constexpr int kLogfileConfiguration = 32779;
inline constexpr int kTimeoutConfiguration = 32780;
inline constexpr int kSoundcardConfiguration = 32783;
inline constexpr int kChannelConfiguration = 32781;
inline constexpr int kSpectrumConfiguration = 32782;
inline constexpr int kShowFrameStatistics = 32790;
inline constexpr int kExit = 1;
inline constexpr int kDisplayTimeslotOffsets = 32787;
}  // namespace main_dialog

inline constexpr auto kMainDialogLayout = std::to_array<ControlSpec>({
    {main_dialog::kWaterfallBox, ControlKind::kStaticBox, "", 4, 0, 385, 53},
    {main_dialog::kGainUpDown, ControlKind::kUpDown, "", 449, 0, 11, 53},
    {main_dialog::kConstellationBox, ControlKind::kStaticBox, "", 390, 0, 59, 53},
    {main_dialog::kFlightDetails, ControlKind::kReadOnlyLine, "", 4, 55, 332, 12},
    {main_dialog::kSquitterLine, ControlKind::kStaticText, "", 4, 69, 332, 10},
    {main_dialog::kModemStatus, ControlKind::kCentredText, "Listening", 4, 82, 332, 10},
    {main_dialog::kTextWindow, ControlKind::kMultiLineEdit, "", 4, 107, 332, 153},
    {kNoControlId, ControlKind::kStaticText, "Flight", 357, 56, 23, 9},
    {main_dialog::kFlightList, ControlKind::kListBox, "", 338, 67, 55, 193},
    {kNoControlId, ControlKind::kGroupBox, "Options", 395, 56, 65, 53},
    {main_dialog::kDxAtlas, ControlKind::kCheckBox, "DxAtlas", 399, 64, 41, 10},
    {main_dialog::kGoogleEarth, ControlKind::kCheckBox, "Google Earth", 399, 74, 57, 10},
    {main_dialog::kSquitters, ControlKind::kCheckBox, "Squitters", 399, 85, 45, 10},
    {main_dialog::kSysTable, ControlKind::kCheckBox, "Sys Table", 399, 95, 48, 10},
    {kNoControlId, ControlKind::kGroupBox, "Display", 397, 110, 63, 103},
    {1005, ControlKind::kCheckBox, "Preamble", 401, 118, 0, 0},
    {1003, ControlKind::kCheckBox, "SPDU ", 401, 127, 0, 0},
    {1007, ControlKind::kCheckBox, "MPDU", 401, 136, 0, 0},
    {1008, ControlKind::kCheckBox, "LPDU", 401, 145, 0, 0},
    {1016, ControlKind::kCheckBox, "BDU", 401, 154, 0, 0},
    {1009, ControlKind::kCheckBox, "HFNPDU", 401, 163, 0, 0},
    {1058, ControlKind::kCheckBox, "V ACARS", 401, 172, 0, 0},
    {1059, ControlKind::kCheckBox, "H ACARS", 401, 181, 0, 0},
    {1004, ControlKind::kCheckBox, "HEX", 401, 190, 0, 0},
    {1017, ControlKind::kCheckBox, "Verbose", 401, 199, 0, 0},
    {main_dialog::kClearText, ControlKind::kButton, "Clear Text", 397, 215, 63, 14},
    {main_dialog::kDeleteFlight, ControlKind::kButton, "Delete Flight", 397, 231, 63, 14},
    {main_dialog::kHelp, ControlKind::kHiddenButton, "&Help", 397, 246, 63, 14},
});

// The Display check boxes and the settings fields they switch.
struct DisplayCheckBox {
  int id;
  int32_t SettingsRecord::*field;
};
inline constexpr auto kDisplayCheckBoxes = std::to_array<DisplayCheckBox>({
    {1005, &SettingsRecord::showPreamble},
    {1003, &SettingsRecord::showSpdu},
    {1007, &SettingsRecord::showMpdu},
    {1008, &SettingsRecord::showLpdu},
    {1016, &SettingsRecord::showBdu},
    {1009, &SettingsRecord::showHfnpdu},
    {1058, &SettingsRecord::showVAcars},
    {1059, &SettingsRecord::showHAcars},
    {1004, &SettingsRecord::showHex},
    {1017, &SettingsRecord::verbose},
});

}  // namespace talvir
