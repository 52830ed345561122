#pragma once
// Words for the coded fields of LPDUs and HFNPDUs, shared by the decoded text
// and the machine-readable records.

#include <array>
#include <string_view>

namespace talvir {

// With a trailing blank, as the decoded text prints them.
std::string_view LogonDeniedReason(int code);
std::string_view LogoffReason(int code);

// Performance data's reason for the last frequency change, by its low four
// bits.
inline constexpr std::array<std::string_view, 9> kFrequencyChangeReasons = {
    "First frequency search of current leg",
    "Too many NAKs",
    "Squitters no longer received",
    "HF was disabled",
    "Ground Station Frequency Change",
    "Ground Station Down Notice",
    "Poor Uplink quality",
    "No Change Since Last PD HFNPDU",
    "Frequency Change On the Ground"};

}  // namespace talvir
