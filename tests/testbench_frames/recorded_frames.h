#pragma once
// Frames received on the air by others (the bytes listed beside the shared
// recordings): what real ground stations and aircraft send, byte for byte.

#include <cstdint>
#include <string_view>
#include <vector>

namespace talvir::testbench {

// 300 bps / 1.8 s bursts from ground station 3: a squitter, an aircraft's
// performance report (AID 0x71) and a ground ACARS uplink (AID 0x6E).
inline constexpr std::string_view kRecordedSquitter =
    "0083de720000006e0100000000000000700100000000000000000000710100000000000000000000fe686bfefefefefefefefefe"
    "001a8003"
    "00899000d0080a00825100";
inline constexpr std::string_view kRecordedAirMpdu =
    "078371000300316e930dffd15355303231392681e28716db2d013303050c00000000000000000000030000000010000000000004"
    "000000"
    "03019df50000000000000000";
inline constexpr std::string_view kRecordedGroundMpdu =
    "01836e131513210dffff0132aeceb6b931b53438df7f57838a8d7fc98f0000000000000000000000000000000000000000000000"
    "00000000"
    "0000000000000000000000";

inline std::vector<uint8_t> FromHex(std::string_view hex) {
  auto nibble = [](char c) { return c <= '9' ? c - '0' : c - 'a' + 10; };
  std::vector<uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(nibble(hex[i]) * 16 + nibble(hex[i + 1])));
  }
  return bytes;
}

}  // namespace talvir::testbench
