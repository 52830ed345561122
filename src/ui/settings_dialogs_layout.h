#pragma once
// The templates of the settings dialogs and of the start-up warning: control
// ids, texts and places in dialog units.

#include <array>

#include "ui/template_dialog.h"

namespace talvir {

namespace dde_dialog {
inline constexpr int kHfdlService = 1042;
inline constexpr int kHfdlTopic = 1043;
inline constexpr int kHfdlItem = 1044;
inline constexpr int kAcarsService = 1045;
inline constexpr int kAcarsTopic = 1046;
inline constexpr int kAcarsItem = 1047;
}  // namespace dde_dialog

inline constexpr auto kDdeDialogControls = std::to_array<ControlSpec>({
    {kNoControlId, ControlKind::kGroupBox, "HFDL DDE", 7, 4, 105, 96},
    {kNoControlId, ControlKind::kStaticText, "Server Name", 14, 16, 90, 9},
    {dde_dialog::kHfdlService, ControlKind::kEdit, "", 14, 26, 90, 12},
    {kNoControlId, ControlKind::kStaticText, "Topic Name", 14, 43, 90, 9},
    {dde_dialog::kHfdlTopic, ControlKind::kEdit, "", 14, 53, 90, 12},
    {kNoControlId, ControlKind::kStaticText, "Item Name", 14, 70, 90, 9},
    {dde_dialog::kHfdlItem, ControlKind::kEdit, "", 14, 80, 90, 12},
    {kNoControlId, ControlKind::kGroupBox, "ACARS DDE", 118, 4, 105, 96},
    {kNoControlId, ControlKind::kStaticText, "Server Name", 125, 16, 90, 9},
    {dde_dialog::kAcarsService, ControlKind::kEdit, "", 125, 26, 90, 12},
    {kNoControlId, ControlKind::kStaticText, "Topic Name", 125, 43, 90, 9},
    {dde_dialog::kAcarsTopic, ControlKind::kEdit, "", 125, 53, 90, 12},
    {kNoControlId, ControlKind::kStaticText, "Item Name", 125, 70, 90, 9},
    {dde_dialog::kAcarsItem, ControlKind::kEdit, "", 125, 80, 90, 12},
    {kIdOk, ControlKind::kDefaultButton, "OK", 59, 107, 50, 14},
    {kIdCancel, ControlKind::kButton, "Cancel", 121, 107, 50, 14},
});
inline constexpr DialogTemplate kDdeDialog{"DDE Configuration", 230, 128, kDdeDialogControls};

namespace logfile_dialog {
inline constexpr int kOstraleLogging = 1048;
inline constexpr int kOstraleSingleFile = 1050;
inline constexpr int kOstraleFileName = 1049;
inline constexpr int kHfdlLogging = 1051;
}  // namespace logfile_dialog

inline constexpr auto kLogfileDialogControls = std::to_array<ControlSpec>({
    {logfile_dialog::kOstraleLogging, ControlKind::kCheckBox, "Enable Ostrale Logging", 10, 8, 150, 10},
    {logfile_dialog::kOstraleSingleFile, ControlKind::kCheckBox, "Ostrale Single Logfile", 10, 22, 150, 10},
    {kNoControlId, ControlKind::kStaticText, "Ostrale Single Logfile Name", 10, 38, 180, 9},
    {logfile_dialog::kOstraleFileName, ControlKind::kEdit, "", 10, 48, 180, 12},
    {logfile_dialog::kHfdlLogging, ControlKind::kCheckBox, "HFDL Logging to Disk", 10, 68, 150, 10},
    {kIdOk, ControlKind::kDefaultButton, "OK", 44, 88, 50, 14},
    {kIdCancel, ControlKind::kButton, "Cancel", 106, 88, 50, 14},
});
inline constexpr DialogTemplate kLogfileDialog{"Logfile Configuration", 200, 110, kLogfileDialogControls};

inline constexpr int kTimeoutEdit = 1052;
inline constexpr auto kTimeoutsDialogControls = std::to_array<ControlSpec>({
    {kNoControlId, ControlKind::kTextBlock, "Aircraft Database timeout in minutes\r\n0 = no timeout", 10, 10, 136, 18},
    {kTimeoutEdit, ControlKind::kEdit, "", 150, 12, 40, 12},
    {kIdOk, ControlKind::kDefaultButton, "OK", 44, 40, 50, 14},
    {kIdCancel, ControlKind::kButton, "Cancel", 106, 40, 50, 14},
});
inline constexpr DialogTemplate kTimeoutsDialog{"Timeouts", 200, 62, kTimeoutsDialogControls};

namespace channel_dialog {
inline constexpr int kAVhf = 1070;
inline constexpr int kAHf = 1071;
inline constexpr int kANone = 1072;
inline constexpr int kBVhf = 1073;
inline constexpr int kBHf = 1074;
inline constexpr int kBNone = 1075;
}  // namespace channel_dialog

// The VHF button carries the row's label on its left, under the header.
inline constexpr auto kChannelDialogControls = std::to_array<ControlSpec>({
    {kNoControlId, ControlKind::kStaticText, "VHF       HF    NONE", 56, 8, 80, 9},
    {channel_dialog::kAVhf, ControlKind::kRadioButtonLeftText, "Channel A", 10, 20, 56, 10},
    {channel_dialog::kAHf, ControlKind::kRadioButton, "", 84, 20, 10, 10},
    {channel_dialog::kANone, ControlKind::kRadioButton, "", 104, 20, 10, 10},
    {channel_dialog::kBVhf, ControlKind::kRadioButtonLeftText, "Channel B", 10, 34, 56, 10},
    {channel_dialog::kBHf, ControlKind::kRadioButton, "", 84, 34, 10, 10},
    {channel_dialog::kBNone, ControlKind::kRadioButton, "", 104, 34, 10, 10},
    {kIdOk, ControlKind::kDefaultButton, "OK", 14, 54, 50, 14},
    {kIdCancel, ControlKind::kButton, "Cancel", 76, 54, 50, 14},
});
inline constexpr DialogTemplate kChannelDialog{"Channel Configuration", 140, 76, kChannelDialogControls};

namespace spectrum_dialog {
inline constexpr int kDisabled = 1060;
inline constexpr int kChannelA = 1061;
inline constexpr int kChannelB = 1062;
inline constexpr int kChannelAB = 1069;
}  // namespace spectrum_dialog

inline constexpr auto kSpectrumDialogControls = std::to_array<ControlSpec>({
    {spectrum_dialog::kDisabled, ControlKind::kRadioButton, "Disabled", 14, 10, 80, 10},
    {spectrum_dialog::kChannelA, ControlKind::kRadioButton, "A Channel", 14, 24, 80, 10},
    {spectrum_dialog::kChannelB, ControlKind::kRadioButton, "B Channel", 14, 38, 80, 10},
    {spectrum_dialog::kChannelAB, ControlKind::kRadioButton, "AB Channel", 14, 52, 80, 10},
    {kIdOk, ControlKind::kDefaultButton, "OK", 14, 72, 50, 14},
    {kIdCancel, ControlKind::kButton, "Cancel", 76, 72, 50, 14},
});
inline constexpr DialogTemplate kSpectrumDialog{"Spectrum Channel Display", 140, 94, kSpectrumDialogControls};

inline constexpr auto kCriticalWarningControls = std::to_array<ControlSpec>({
    {kNoControlId, ControlKind::kCentredText, "TALVIR", 10, 10, 180, 9},
    {kNoControlId, ControlKind::kCentredText, "No .INI file found, please configure the soundcard", 10, 26, 180, 9},
    {kIdOk, ControlKind::kDefaultButton, "OK", 75, 46, 50, 14},
});
inline constexpr DialogTemplate kCriticalWarning{"Critical Warning", 200, 68, kCriticalWarningControls};

namespace sound_card_dialog {
inline constexpr int kDeviceList = 1063;
inline constexpr int kMicInput = 1064;
inline constexpr int kLineInput = 1065;
inline constexpr int kMixerInput = 1066;
}  // namespace sound_card_dialog

inline constexpr auto kSoundCardDialogControls = std::to_array<ControlSpec>({
    {sound_card_dialog::kDeviceList, ControlKind::kDropDownList, "", 10, 10, 200, 14},
    {sound_card_dialog::kMicInput, ControlKind::kRadioButton, "Select Mic Input", 10, 32, 120, 10},
    {sound_card_dialog::kLineInput, ControlKind::kRadioButton, "Select Line Input", 10, 46, 120, 10},
    {sound_card_dialog::kMixerInput, ControlKind::kRadioButton, "Select Mixer Input", 10, 60, 120, 10},
    {kIdOk, ControlKind::kDefaultButton, "OK", 54, 82, 50, 14},
    {kIdCancel, ControlKind::kButton, "Cancel", 116, 82, 50, 14},
});
inline constexpr DialogTemplate kSoundCardDialog{"Sound Card Selection", 220, 104, kSoundCardDialogControls};

inline constexpr auto kAboutDialogControls = std::to_array<ControlSpec>({
    {kNoControlId, ControlKind::kIcon, "", 10, 10, 20, 20},
    {kNoControlId, ControlKind::kStaticText, "TALVIR  ARINC 635-4 Decoder", 40, 10, 140, 9},
    {kNoControlId, ControlKind::kStaticText, " Version 2.042  ", 40, 24, 140, 9},
    {kIdOk, ControlKind::kDefaultButton, "OK", 130, 42, 50, 14},
});
inline constexpr DialogTemplate kAboutDialog{"About TALVIR", 190, 62, kAboutDialogControls};

}  // namespace talvir
