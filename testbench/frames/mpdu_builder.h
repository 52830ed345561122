#pragma once
// MPDUs: a header with the lengths of the LPDUs that follow, its own FCS, and
// the LPDUs back to back. An aircraft's MPDU carries up to 15 LPDUs; a ground
// station's carries 1..8 aircraft blocks of up to 15 LPDUs each.

#include <cstdint>
#include <vector>

namespace talvir::testbench {

inline constexpr int kMpduMaxLpdus = 15;
inline constexpr int kGroundMpduMaxBlocks = 8;

// Aircraft ids with a meaning of their own.
inline constexpr uint8_t kAidBroadcast = 0;
inline constexpr uint8_t kAidLogon = 255;

using Lpdu = std::vector<uint8_t>;

struct AirMpduHeader {
  int groundStationId = 0;  // 0..127
  bool utcSynced = false;
  uint8_t aid = 0;
  // Bit 7 set: bits 0..6 are NF slots requested; else bits 0..2 low-priority
  // slots, 3..5 medium-priority slots, bit 6 the high-priority flag.
  uint8_t slotRequest = 0;
  int maxBitRateCode = 0;  // 0..7: 1 = 300, 2 = 600, 3 = 1200, 4 = 1800 bps
  int ur = 0;              // 0..31, U(R)
  uint8_t urVector = 0;    // UR(R) vector
};

struct GroundMpduBlock {
  uint8_t aid = 0;
  int maxBitRateCode = 0;  // 0..7
  std::vector<Lpdu> lpdus{};
  bool spareBit = false;  // bit 0 of the block's count byte: receivers ignore it, stations may set it
};

struct GroundMpduHeader {
  int groundStationId = 0;  // 0..127
  bool utcSynced = false;
};

// The whole frame, header FCS included, unpadded. Throws
// std::invalid_argument for counts or fields that do not fit.
std::vector<uint8_t> BuildAirMpdu(const AirMpduHeader& header, const std::vector<Lpdu>& lpdus);
std::vector<uint8_t> BuildGroundMpdu(const GroundMpduHeader& header,
                                     const std::vector<GroundMpduBlock>& blocks);

}  // namespace talvir::testbench
