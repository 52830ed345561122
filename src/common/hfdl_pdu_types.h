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
