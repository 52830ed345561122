#include "protocol/mpdu_layout.h"

#include "common/crc16.h"

namespace talvir {
namespace {

constexpr std::size_t kAirLengthsOffset = 6;    // after type, station, AID, request, rates
constexpr std::size_t kGroundBlocksOffset = 2;  // after type and station

}  // namespace

bool ReadMpduLayout(std::span<const uint8_t> frame, MpduLayout& layout) {
  layout.air = (frame[0] & 2) != 0;
  std::size_t at = kGroundBlocksOffset;
  if (layout.air) {
    layout.blockCount = 1;
    MpduBlock& block = layout.blocks[0];
    block.lpduCount = (frame[0] >> 2) & 0x0F;
    at = kAirLengthsOffset;
    if (at + static_cast<std::size_t>(block.lpduCount) > frame.size()) return false;
    block.aid = frame[2];
  } else {
    layout.blockCount = ((frame[0] >> 4) & 7) + 1;
  }
  for (MpduBlock& block : std::span(layout.blocks).first(static_cast<std::size_t>(layout.blockCount))) {
    if (!layout.air) {
      if (at + 2 > frame.size() || at + 2 + (frame[at + 1] >> 4) > frame.size()) return false;
      block.aid = frame[at];
      block.e = frame[at + 1];
      block.lpduCount = block.e >> 4;
      at += 2;
    }
    for (LpduPlace& place : std::span(block.places).first(static_cast<std::size_t>(block.lpduCount)))
      place.length = frame[at++] + 1u;
  }
  layout.headerBytes = at;

  // The LPDUs lie back to back after the header's FCS.
  std::size_t offset = at + kMpduFcsBytes;
  for (MpduBlock& block : std::span(layout.blocks).first(static_cast<std::size_t>(layout.blockCount)))
    for (LpduPlace& place : std::span(block.places).first(static_cast<std::size_t>(block.lpduCount))) {
      place.offset = offset;
      offset += place.length;
    }
  return true;
}

bool MpduIntact(std::span<const uint8_t> frame) {
  MpduLayout layout;
  if (!ReadMpduLayout(frame, layout) || !HfdlCrcCheck(frame, static_cast<int>(layout.headerBytes))) return false;
  for (const MpduBlock& block : layout.Blocks())
    for (const LpduPlace& place : block.Lpdus()) {
      const auto lpdu = CutLpdu(frame, place);
      if (lpdu.size() < 3 || !HfdlCrcCheck(lpdu, static_cast<int>(lpdu.size()) - kMpduFcsBytes)) return false;
    }
  return true;
}

std::span<const uint8_t> CutLpdu(std::span<const uint8_t> frame, const LpduPlace& place) {
  if (place.offset + place.length > frame.size()) return {};
  return frame.subspan(place.offset, place.length);
}

}  // namespace talvir
