#pragma once
// HFNPDUs: the two type bytes FF and a type code, then the payload. They ride
// in unnumbered data LPDUs and after the address of log-on requests.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "common/hfdl_pdu_types.h"

namespace talvir::testbench {

using talvir::HfnpduType;
using talvir::kHfnpduMarker;

inline constexpr int kFlightIdChars = 6;
inline constexpr int kPerformancePayloadBytes = 45;
inline constexpr int kFrequencyDataMaxEntries = 6;
inline constexpr int kFrequencyDataEntryBytes = 6;
inline constexpr int kPositionFieldBytes = 7;

// Any HFNPDU from its type code and payload.
std::vector<uint8_t> BuildHfnpdu(uint8_t typeCode, std::span<const uint8_t> payload);

// The 7-byte position field: two 20-bit coordinate codes and the time.
struct PositionField {
  uint32_t latitudeCode = 0;  // see coordinates.h
  uint32_t longitudeCode = 0;
  uint16_t time = 0;  // 2 s units since 00:00 UTC
};
// From degrees (positive north and east) and seconds since 00:00 UTC
// (0..86399, stored in 2 s units, rounded down).
PositionField PositionFromDegrees(double latitude, double longitude, int secondsOfDay);

// Counts per bit rate are in the order 1800, 1200, 600, 300 bps.
struct PerformanceData {
  std::string flightId{};  // up to 6 characters, padded with blanks
  PositionField position{};
  uint8_t performanceVersion = 1;
  uint8_t flightLeg = 0;
  int groundStationId = 0;  // 0..127
  bool utcSynced = false;
  uint8_t frequencyIndex = 0;  // 0 = the station's first frequency
  uint16_t previousLegLostCount = 0;
  uint16_t currentLegLostCount = 0;
  uint16_t previousLegSecondsDisabled = 0;
  uint16_t currentLegSecondsDisabled = 0;
  std::array<uint8_t, 4> mpdusReceivedOk{};
  std::array<uint8_t, 4> mpdusReceivedInError{};
  uint16_t squittersReceivedOk = 0;
  uint8_t squittersReceivedInError = 0;
  std::array<uint8_t, 4> mpdusTransmitted{};
  std::array<uint8_t, 4> mpdusReceivedFirstTime{};
  int frequencyChangeReason = 0;  // 0..15
  int vendorCode = 0;             // 0..15
};
std::vector<uint8_t> BuildPerformanceDataHfnpdu(const PerformanceData& data);

struct FrequencyDataEntry {
  int groundStationId = 0;  // 0..127
  bool utcSynced = false;
  uint32_t propagatingMask = 0;  // 20 bits: bit i = frequency i+1
  uint32_t tunedMask = 0;        // 20 bits
};
// Entries need the position before them: without one, none may follow.
struct FrequencyData {
  std::string flightId{};
  std::optional<PositionField> position{};
  std::vector<FrequencyDataEntry> entries{};  // up to 6
};
std::vector<uint8_t> BuildFrequencyDataHfnpdu(const FrequencyData& data);

// Receivers read only the type; the payload names the version of the table
// the aircraft holds (12 bits, low byte first).
std::vector<uint8_t> BuildSystemTableRequestHfnpdu(int heldVersion);

// Vendors 0 unspecified, 1 Allied Signal, 2 ARINC, 3 Rockwell Collins;
// reactions 0..5 requests, 128..130 downlinks.
struct TestPacket {
  uint8_t vendor = 0;
  uint8_t reaction = 0;
  uint8_t frameDelay = 0;
  uint8_t slotDelay = 0;
  uint8_t priority = 0;
  uint16_t reactionLength = 0;
  std::vector<uint8_t> data{};  // its length goes into the header
};
std::vector<uint8_t> BuildTestPacketHfnpdu(const TestPacket& packet);

// An ACARS block (acars_block.h) as an HFNPDU.
std::vector<uint8_t> BuildAcarsHfnpdu(std::span<const uint8_t> block);

}  // namespace talvir::testbench
