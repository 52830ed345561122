#pragma once
// Where an MPDU's header ends and where its LPDUs lie, read from the header's
// own fields. The decoders and the frame check walk the same layout.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace talvir {

inline constexpr int kMpduFcsBytes = 2;

// Where an LPDU lies in the frame.
struct LpduPlace {
  std::size_t offset = 0;
  std::size_t length = 0;
};

// An aircraft's MPDU is one block; a ground station's has one per aircraft
// addressed.
struct MpduBlock {
  static constexpr int kMaxLpdus = 15;  // the 4-bit count of an air MPDU or a ground block
  int aid = 0;
  int e = 0;  // ground blocks: bits 1..3 maximum bit rate, 4..7 LPDU count
  int lpduCount = 0;
  std::array<LpduPlace, kMaxLpdus> places;
  std::span<const LpduPlace> Lpdus() const { return std::span(places).first(static_cast<std::size_t>(lpduCount)); }
};

struct MpduLayout {
  static constexpr int kMaxGroundBlocks = 8;
  bool air = false;
  // The bytes the header's FCS covers; the FCS follows them.
  std::size_t headerBytes = 0;
  int blockCount = 0;
  std::array<MpduBlock, kMaxGroundBlocks> blocks;
  std::span<const MpduBlock> Blocks() const { return std::span(blocks).first(static_cast<std::size_t>(blockCount)); }
};

// Reads the layout of the MPDU in `frame` (byte 0 present). False when the
// header runs past the frame; LPDUs may still run past it.
bool ReadMpduLayout(std::span<const uint8_t> frame, MpduLayout& layout);

// True when the header's FCS and every LPDU's hold: what a receiver can tell
// of a whole MPDU (byte 0 present).
bool MpduIntact(std::span<const uint8_t> frame);

// The LPDU at `place`, or an empty span when it reaches past the received
// bytes (such LPDUs are skipped).
std::span<const uint8_t> CutLpdu(std::span<const uint8_t> frame, const LpduPlace& place);

}  // namespace talvir
