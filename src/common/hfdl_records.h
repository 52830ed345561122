#pragma once
// What the HFDL decoders read from a burst, as plain records: the decoded
// texts are formatted from them and the record sink hands the same records
// to the machine-readable outputs.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "common/acars_record.h"
#include "common/hfdl_pdu_types.h"

namespace talvir {

// A ground station's squitter (SPDU), sent in slot 0 of every 32 s frame.
struct SquitterRecord {
  int32_t crcOk = 0;
  int32_t frameType = 0;
  int32_t squitterVersion = 0;
  int32_t loadFlag = 0;     // 1 "HEAVY"
  int32_t iso8208Flag = 0;  // 1 "ISO 8208"
  int32_t groundStationStatus = 0;  // 0 GS UP, 1 FREQ CHANGE, 2 CHAN DOWN, 3 GS DOWN
  int32_t station1Utc = 0;
  int32_t station1Id = 0;
  int32_t frameIndex = 0;  // 32 s frame of the UTC day
  int32_t slotOffset = 0;
  // S11(N-3), S12(N-3), S01..S12(N-2), S01..S10(N-1); low 8 bits AID, 8..11 flags
  std::array<int32_t, kSquitterAckCodes> ackCodes{};
  // S03..S12 of this frame, then S01, S02 of the next
  std::array<uint8_t, kSquitterSlotAssignments> slotAssignments{};
  int32_t priorityByte = 0;
  int32_t systemTableVersion = 0;
  int32_t station1FrequencyMask = 0;
  int32_t station2Id = 0;
  int32_t station2Utc = 0;
  int32_t station2FrequencyMask = 0;
  int32_t station3Id = 0;
  int32_t station3Utc = 0;
  int32_t station3FrequencyMask = 0;
  int32_t byteCount = 0;
};

inline constexpr int kDirectionGroundToAir = 0;
inline constexpr int kDirectionAirToGround = 1;

// The header of a good MPDU. An uplink names an aircraft per block.
struct MpduHeader {
  int direction = kDirectionAirToGround;
  int groundStationId = 0;
  int utcSynced = 0;
  int lpduCount = 0;  // all blocks together
  // Air to ground only.
  int aid = 0;
  int slotRequest = 0;
  int maxBitRate = 0;  // code 1..4 = 300..1800 bit/s
};

// Coordinates as the HFDL 20-bit codes (tracking/position_text.h turns them
// into degrees); time in 2-second units since 00:00 UTC.
struct HfdlPosition {
  int32_t latitude = 0;
  int32_t longitude = 0;
  int32_t time = 0;
};

// Performance data: an aircraft's position and its link statistics.
// Per-rate counts are in the order 1800, 1200, 600, 300 bit/s.
struct PositionReport {
  std::string flightId;
  HfdlPosition position;
  int performanceVersion = 0;
  int flightLeg = 0;
  int groundStationId = 0;
  int utcFlag = 0;
  int frequencyIndex = 0;
  int previousLegLostCount = 0;
  int currentLegLostCount = 0;
  int previousLegSecondsDisabled = 0;
  int currentLegSecondsDisabled = 0;
  std::array<int, 4> mpdusReceivedOk{};
  std::array<int, 4> mpdusReceivedInError{};
  int squittersReceivedOk = 0;
  int squittersReceivedInError = 0;
  std::array<int, 4> mpdusTransmitted{};
  std::array<int, 4> mpdusReceivedFirstTime{};
  int frequencyChangeReason = 0;
};

struct FrequencyEntry {
  int groundStationId = 0;
  int utcFlag = 0;
  uint32_t propagatingMask = 0;  // bit i = frequency i+1 of the station
  uint32_t tunedMask = 0;
};

// Frequency data: which ground stations an aircraft hears, and on what.
struct FrequencyData {
  std::string flightId;
  std::optional<HfdlPosition> position;  // absent in a report cut short
  std::vector<FrequencyEntry> entries;
};

// One packet of a system table.
struct SystemTablePacket {
  int packetCount = 0;
  int sequenceNumber = 0;
  int version = 0;
  bool completesTable = false;
};

// The HFNPDU an LPDU carries, when it carries one.
struct HfnpduRecord {
  uint8_t typeId = 0;  // the type byte after the 0xFF marker; 0 = not an HFNPDU
  std::variant<std::monostate, PositionReport, FrequencyData, SystemTablePacket, AcarsMessage> content;
};

// One good LPDU, with the link it was decoded against.
struct LpduRecord {
  int direction = kDirectionAirToGround;
  int groundStationId = 0;
  int aid = 0;  // the aircraft's id in the MPDU
  uint8_t type = 0;  // the LPDU type byte; numbered data has any even value
  std::optional<int> icaoAddress;  // log-on family, or learnt earlier in the MPDU
  std::optional<int> assignedAid;  // log-on confirms
  std::optional<int> reason;       // log-on denied, log-off request
  std::optional<HfnpduRecord> hfnpdu;
};

}  // namespace talvir
