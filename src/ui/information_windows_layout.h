#pragma once
// The templates of the information windows.

#include <array>

#include "ui/template_dialog.h"

namespace talvir {

namespace squitters_window {
inline constexpr int kGroundStationStatus = 1028;
inline constexpr int kAssignments = 1027;
inline constexpr int kAcknowledgements = 1026;
inline constexpr int kStations = 1030;
inline constexpr int kSmartDisplay = 1040;
}  // namespace squitters_window

// Each text sits in a frame captioned with its name. A line takes a little
// over 8 units: the acknowledgements (27 lines) get the whole left column,
// the assignments 14 lines and the status line up to three.
inline constexpr auto kSquittersWindowControls = std::to_array<ControlSpec>({
    {kNoControlId, ControlKind::kGroupBox, " Acknowledgements", 4, 2, 150, 262},
    {squitters_window::kAcknowledgements, ControlKind::kTextBlock, "", 8, 11, 144, 251},
    {kNoControlId, ControlKind::kGroupBox, " Ground Station Status", 158, 2, 143, 38},
    {squitters_window::kGroundStationStatus, ControlKind::kTextBlock, "", 162, 11, 137, 28},
    {kNoControlId, ControlKind::kGroupBox, " Assignments", 158, 42, 143, 134},
    {squitters_window::kAssignments, ControlKind::kTextBlock, "", 162, 51, 137, 124},
    {squitters_window::kSmartDisplay, ControlKind::kCheckBox, "Smart Display", 162, 179, 80, 10},
    {squitters_window::kStations, ControlKind::kMultiLineEdit, "", 158, 192, 143, 72},
});
inline constexpr DialogTemplate kSquittersWindow{"Squitters", 305, 266, kSquittersWindowControls};

inline constexpr int kInformationText = 1084;
inline constexpr int kStatisticsReset = 1091;

inline constexpr auto kSystemTableWindowControls = std::to_array<ControlSpec>({
    {kInformationText, ControlKind::kMultiLineEdit, "", 4, 4, 206, 217},
});
inline constexpr DialogTemplate kSystemTableWindow{"System Table", 214, 225, kSystemTableWindowControls};

inline constexpr auto kStatisticsWindowControls = std::to_array<ControlSpec>({
    {kInformationText, ControlKind::kReadOnlyText, "", 4, 4, 139, 133},
    {kStatisticsReset, ControlKind::kButton, "Reset", 49, 140, 50, 14},
});
inline constexpr DialogTemplate kStatisticsWindow{"Statistics", 147, 158, kStatisticsWindowControls};

}  // namespace talvir
