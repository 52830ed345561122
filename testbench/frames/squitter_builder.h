#pragma once
// Squitters (SPDUs): the 66-byte frame a ground station sends in slot 0 of
// every 32 s HFDL frame, FCS over bytes 0..63 in bytes 64 and 65.

#include <array>
#include <cstdint>
#include <vector>

#include "common/hfdl_pdu_types.h"

namespace talvir::testbench {


enum class GroundStationStatus : uint8_t { kUp = 0, kFrequencyChange = 1, kChannelDown = 2, kDown = 3 };

struct SquitterStation {
  int id = 0;  // 0..127
  bool utcSynced = false;
  uint32_t frequencyMask = 0;  // 20 bits: bit i = frequency i+1 of the station is active
};

struct SquitterFields {
  int squitterVersion = 0;  // 0..7
  bool heavyLoad = false;
  bool iso8208 = false;
  GroundStationStatus status = GroundStationStatus::kUp;
  // The sender first, then two other stations it announces.
  std::array<SquitterStation, 3> stations{};
  int frameIndex = 0;  // 0..4095: number of the 32 s frame in the UTC day
  int slotOffset = 0;  // 0..15
  // Codes of S11(N-3), S12(N-3), S01(N-2) .. S12(N-2), S01(N-1) .. S10(N-1):
  // an aircraft id in bits 0..7, acknowledgement flags in bits 8..11.
  std::array<uint16_t, kSquitterAckCodes> ackCodes{};
  // S03 .. S12 of this frame, then S01, S02 of the next.
  std::array<uint8_t, kSquitterSlotAssignments> slotAssignments{};
  uint8_t priorityByte = 0;    // low 4 bits: lowest priority accepted
  int systemTableVersion = 0;  // 0..4095
};

// An acknowledgement code: the aircraft id and flags 1..4 (bits 8..11).
uint16_t AckCode(uint8_t aid, bool flag1, bool flag2 = false, bool flag3 = false, bool flag4 = false);

// The 66 bytes with their FCS. Throws std::invalid_argument naming a field
// that does not fit.
std::vector<uint8_t> BuildSquitter(const SquitterFields& fields);

}  // namespace talvir::testbench
