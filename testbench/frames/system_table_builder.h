#pragma once
// The HFDL system table as ground stations broadcast it: a run of station
// records (7-byte header, then 4 bytes per frequency), split into up to 16
// system-table packets, each an HFNPDU of type FF D0.

#include <cstdint>
#include <span>
#include <vector>

namespace talvir::testbench {

inline constexpr int kSystemTableMaxPackets = 16;
// What one packet may carry so that its HFNPDU fits one LPDU: 256 bytes less
// the LPDU's type byte and FCS, the HFNPDU type bytes and the packet header.
inline constexpr int kSystemTablePacketMaxShare = 256 - 3 - 2 - 3;

struct SystemTableFrequencyEntry {
  uint32_t hz = 0;          // a multiple of 100 Hz below 40 MHz, sent as BCD
  int masterFrameSlot = 0;  // 0..15
};

struct SystemTableStation {
  int id = 0;  // 0..127
  bool utcSynced = false;
  uint32_t latitudeCode = 0;  // 20-bit codes, see coordinates.h
  uint32_t longitudeCode = 0;
  int squitterVersion = 0;                               // 0..7
  std::vector<SystemTableFrequencyEntry> frequencies{};  // up to 31
};

// The joined table data of these stations, in order.
std::vector<uint8_t> EncodeSystemTableData(std::span<const SystemTableStation> stations);

// The packets (whole HFNPDUs, sequence numbers 0 .. packetCount-1) of table
// `version` (0..4095), the data split into `packetCount` shares as equal as
// possible. Throws std::invalid_argument when a share would not fit one LPDU.
std::vector<std::vector<uint8_t>> BuildSystemTableHfnpdus(int version, std::span<const uint8_t> tableData,
                                                          int packetCount);

}  // namespace talvir::testbench
