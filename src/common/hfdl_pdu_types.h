#pragma once
// Type bytes of the HFDL link-layer and network-layer units, shared by the
// decoders and the test bench that builds frames for them.

#include <cstdint>

namespace talvir {

// Unnumbered LPDUs; numbered data has any even type byte.
enum class LpduType : uint8_t {
  kUnnumberedData = 0x0D,
  kUnnumberedAckedData = 0x1D,
  kLogonDenied = 0x2F,
  kLogoffRequest = 0x3F,
  kLogonResume = 0x4F,
  kLogonResumeConfirm = 0x5F,
  kLogonRequest = 0x8F,
  kLogonConfirm = 0x9F,
  kLogonDlsRequest = 0xBF,
};

// Squitter (SPDU): 66 bytes, the FCS over bytes 0..63 in bytes 64 and 65.
inline constexpr int kSquitterBytes = 66;
inline constexpr int kSquitterCrcSpan = 64;
inline constexpr int kSquitterAckCodes = 24;
inline constexpr int kSquitterSlotAssignments = 12;

// Slot assignment codes that are not an aircraft id.
inline constexpr uint8_t kSlotUplinkOrUnassigned = 0;
inline constexpr uint8_t kSlotRandomAccess = 254;
inline constexpr uint8_t kSlotReserved = 255;

// An HFNPDU starts with this byte, then its type.
inline constexpr uint8_t kHfnpduMarker = 0xFF;

enum class HfnpduType : uint8_t {
  kSystemTable = 0xD0,
  kPerformanceData = 0xD1,
  kSystemTableRequest = 0xD2,
  kFrequencyData = 0xD5,
  kTestPacket = 0xDE,
  kAcars = 0xFF,
};

}  // namespace talvir
