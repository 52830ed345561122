#include "testbench/frames/mpdu_builder.h"

#include "testbench/frames/frame_writer.h"
#include "testbench/frames/lpdu_builder.h"

namespace talvir::testbench {
namespace {

void PutStationByte(FrameWriter& w, int groundStationId, bool utcSynced) {
  RequireInRange("MPDU ground station id", groundStationId, 0, 127);
  w.PutBits(static_cast<uint32_t>(groundStationId), 7);
  w.PutBits(utcSynced, 1);
}

// One length byte per LPDU: its length minus 1.
void PutLengths(FrameWriter& w, const std::vector<Lpdu>& lpdus) {
  RequireInRange("MPDU LPDU count", static_cast<long long>(lpdus.size()), 0, kMpduMaxLpdus);
  for (const Lpdu& lpdu : lpdus) {
    RequireInRange("LPDU length", static_cast<long long>(lpdu.size()), 1, kLpduMaxBytes);
    w.PutByte(static_cast<uint8_t>(lpdu.size() - 1));
  }
}

void PutLpdus(FrameWriter& w, const std::vector<Lpdu>& lpdus) {
  for (const Lpdu& lpdu : lpdus) w.PutBytes(lpdu);
}

}  // namespace

std::vector<uint8_t> BuildAirMpdu(const AirMpduHeader& h, const std::vector<Lpdu>& lpdus) {
  RequireInRange("air MPDU maximum bit rate code", h.maxBitRateCode, 0, 7);
  RequireInRange("air MPDU U(R)", h.ur, 0, 31);
  FrameWriter w;
  w.PutBits(1, 1);  // MPDU
  w.PutBits(1, 1);  // air to ground
  w.PutBits(static_cast<uint32_t>(lpdus.size() & 0x0F), 4);
  w.PutBits(0, 2);
  PutStationByte(w, h.groundStationId, h.utcSynced);
  w.PutByte(h.aid);
  w.PutByte(h.slotRequest);
  w.PutBits(static_cast<uint32_t>(h.maxBitRateCode), 3);
  w.PutBits(static_cast<uint32_t>(h.ur), 5);
  w.PutByte(h.urVector);
  PutLengths(w, lpdus);
  w.PutFcs();
  PutLpdus(w, lpdus);
  return w.Take();
}

std::vector<uint8_t> BuildGroundMpdu(const GroundMpduHeader& h, const std::vector<GroundMpduBlock>& blocks) {
  RequireInRange("ground MPDU block count", static_cast<long long>(blocks.size()), 1, kGroundMpduMaxBlocks);
  FrameWriter w;
  w.PutBits(1, 1);  // MPDU
  w.PutBits(0, 1);  // ground to air
  w.PutBits(0, 2);
  w.PutBits(static_cast<uint32_t>(blocks.size() - 1), 3);
  w.PutBits(0, 1);
  PutStationByte(w, h.groundStationId, h.utcSynced);
  for (const GroundMpduBlock& block : blocks) {
    RequireInRange("ground MPDU maximum bit rate code", block.maxBitRateCode, 0, 7);
    w.PutByte(block.aid);
    w.PutBits(block.spareBit, 1);
    w.PutBits(static_cast<uint32_t>(block.maxBitRateCode), 3);
    w.PutBits(static_cast<uint32_t>(block.lpdus.size() & 0x0F), 4);
    PutLengths(w, block.lpdus);
  }
  w.PutFcs();
  for (const GroundMpduBlock& block : blocks) PutLpdus(w, block.lpdus);
  return w.Take();
}

}  // namespace talvir::testbench
