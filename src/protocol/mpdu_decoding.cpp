// MPDUs: the header of an aircraft's or a ground station's burst, and the
// LPDUs it carries.

#include <algorithm>
#include <array>
#include <cstdio>

#include "common/crc16.h"
#include "config/settings.h"
#include "outputs/decoded_text.h"
#include "protocol/hfdl_decoder.h"
#include "protocol/text_formatters.h"
#include "protocol/utc_clock.h"
#include "tracking/flight_db.h"

namespace talvir {
namespace {

constexpr int kGroundMaxBlocks = 8;
constexpr int kMaxLpdusPerBlock = 15;  // the 4-bit count of an air MPDU or a ground block
constexpr int kFcsBytes = 2;
constexpr std::size_t kAirLengthsOffset = 6;    // after type, station, AID, request, rates
constexpr std::size_t kGroundBlocksOffset = 2;  // after type and station

const char* MaxBitRateWord(int code) {
  static constexpr const char* kWords[] = {"Reserved ", "300 bps ", "600 bps ", "1200 bps ", "1800 bps "};
  return code >= 0 && code < 5 ? kWords[code] : "";
}

std::string AidWord(int aid) {
  if (aid == kBroadcastAid) return "BROADCAST";
  if (aid == kReservedAid) return "RESERVED";
  if (aid == kLogonAid) return "LOG-ON";
  char text[8];
  std::snprintf(text, sizeof text, "%.2X", aid);
  return text;
}

const char* SyncWord(int utcFlag) { return utcFlag ? "SYNCHED" : "NOT SYNCHED"; }

// Where an LPDU lies in the frame.
struct LpduPlace {
  std::size_t offset = 0;
  std::size_t length = 0;
};

// The LPDU at `place`, or an empty span when it reaches past the received
// bytes (such LPDUs are skipped).
std::span<const uint8_t> CutLpdu(std::span<const uint8_t> frame, const LpduPlace& place) {
  if (place.offset + place.length > frame.size()) return {};
  return frame.subspan(place.offset, place.length);
}

// Gives each LPDU its place, back to back from `offset`.
std::size_t PlaceLpdus(std::span<LpduPlace> lpdus, std::size_t offset) {
  for (LpduPlace& lpdu : lpdus) {
    lpdu.offset = offset;
    offset += lpdu.length;
  }
  return offset;
}

}  // namespace

std::string FormatRateAndSlot(int rateCode, int detectedSlotIndex) {
  static constexpr const char* kRates[] = {"1800 BPS ", "1200 BPS ", "600 BPS ", "300 BPS "};
  if (rateCode < 0 || rateCode > 7) return {};
  char text[48];
  const char* rate = kRates[rateCode / 2];
  if (rateCode % 2 == 0) {
    std::snprintf(text, sizeof text, "%d %s", detectedSlotIndex, rate);
  } else if (rateCode == 7) {
    std::snprintf(text, sizeof text, "%d,%d 300 BPS", detectedSlotIndex, detectedSlotIndex + 1);
  } else {
    std::snprintf(text, sizeof text, "%d,%d %s", detectedSlotIndex, detectedSlotIndex + 1, rate);
  }
  return text;
}

bool HfdlDecoder::FrameIntact(std::span<const uint8_t> frame) const {
  if (frame.empty() || (frame[0] & 1) == 0)
    return frame.size() >= static_cast<std::size_t>(kSquitterBytes) && HfdlCrcCheck(frame, kSquitterCrcSpan);
  const bool air = (frame[0] & 2) != 0;
  // The header's end: after an aircraft's LPDU lengths, or after the ground
  // blocks (AID, count, lengths).
  std::size_t end = air ? kAirLengthsOffset + ((frame[0] >> 2) & 0x0F) : kGroundBlocksOffset;
  if (!air)
    for (int b = ((frame[0] >> 4) & 7) + 1; b > 0; --b) {
      if (end + 2 > frame.size()) return false;
      end += 2u + (frame[end + 1] >> 4);
    }
  if (end > frame.size() || !HfdlCrcCheck(frame, static_cast<int>(end))) return false;

  // The LPDUs lie back to back after the header's FCS.
  std::size_t offset = end + kFcsBytes;
  const auto intact = [&](std::size_t lengthAt) {
    const auto lpdu = CutLpdu(frame, {offset, frame[lengthAt] + 1u});
    offset += frame[lengthAt] + 1u;
    return lpdu.size() >= 3 && HfdlCrcCheck(lpdu, static_cast<int>(lpdu.size()) - 2);
  };
  for (std::size_t at = air ? kAirLengthsOffset : kGroundBlocksOffset; at < end;) {
    std::size_t lengths = end - at;
    if (!air) {
      lengths = frame[at + 1] >> 4;
      at += 2;
    }
    for (; lengths > 0; --lengths)
      if (!intact(at++)) return false;
  }
  return true;
}

void HfdlDecoder::DecodeMpdu(std::span<const uint8_t> frame, const BurstInfo& burst) {
  if ((frame[0] & 2) != 0) {  // a frame that reaches here holds byte 0
    DecodeAirMpdu(frame, burst);
  } else {
    DecodeGroundMpdu(frame, burst);
  }
  PrintPreambleLine(burst);
}

void HfdlDecoder::DecodeAirMpdu(std::span<const uint8_t> frame, const BurstInfo& burst) {
  const Settings& settings = links_.settings;
  DecodedText& text = links_.text;
  LinkContext link;
  link.hfChannel = links_.hfChannel;
  link.direction = kDirectionAirToGround;
  const int n = (frame[0] >> 2) & 0x0F;
  const int headerBytes = n + 6;
  const bool crcOk = HfdlCrcCheck(frame, headerBytes);

  std::array<LpduPlace, kMaxLpdusPerBlock> places;
  const auto lpdus = std::span(places).first(static_cast<std::size_t>(n));
  MpduHeader header;
  if (crcOk) {
    link.groundStationId = frame[1] & 0x7F;
    link.aid = frame[2];
    frameOutcome_.store(link.aid);
    header.direction = kDirectionAirToGround;
    header.groundStationId = link.groundStationId;
    header.utcSynced = frame[1] >> 7;
    header.lpduCount = n;
    header.aid = link.aid;
    header.slotRequest = frame[3];
    header.maxBitRate = frame[4] & 7;
    for (std::size_t i = 0; i < lpdus.size(); ++i) lpdus[i].length = frame[kAirLengthsOffset + i] + 1u;
    PlaceLpdus(lpdus, static_cast<std::size_t>(headerBytes + kFcsBytes));
  }

  if (settings.On(&SettingsRecord::showMpdu)) {
    if (!crcOk) {
      text.Append("[CRC FAIL]\r\n");
    } else {
      text.Printf("\r\n[MPDU %s AIR %s SLOT %s]\r\n", links_.utcClock.FormatUtcClock().c_str(),
                  links_.formatters.FlightLabel(link.aid).c_str(),
                  FormatRateAndSlot(burst.rateCode, burst.detectedSlotIndex).c_str());
      if (settings.On(&SettingsRecord::verbose)) {
        const int slotRequest = header.slotRequest;
        text.Printf("Nr LPDUs = %d ", n);
        text.Printf("Ground station ID %s %s\r\n",
                    links_.formatters.GroundStationName(link.groundStationId).c_str(),
                    SyncWord(header.utcSynced));
        text.Printf("Aircraft ID %s\r\n", AidWord(link.aid).c_str());
        const int low = slotRequest & 7;
        const int medium = (slotRequest >> 3) & 7;
        if (slotRequest & 0x80) {
          text.Printf("NF Slots requested = %d\r\n", slotRequest & 0x7F);
        } else if (slotRequest & 0x40) {
          text.Printf("High priority slots requested = %d\r\n", medium + low);
        } else {
          text.Printf("Slots Requested medium = %d Low = %d\r\n", medium, low);
        }
        text.Printf("Max Bit rate %s", MaxBitRateWord(header.maxBitRate));
        text.Printf("U(R) = %d UR(R)vect = %d\r\n", frame[4] >> 3, frame[5]);
      }
    }
  }

  if (!crcOk) return;
  links_.records.OnMpdu(burst, header);
  for (const LpduPlace& place : lpdus) {
    const auto lpdu = CutLpdu(frame, place);
    if (!lpdu.empty()) DecodeLpdu(link, lpdu, burst);
  }
}

void HfdlDecoder::DecodeGroundMpdu(std::span<const uint8_t> frame, const BurstInfo& burst) {
  const Settings& settings = links_.settings;
  DecodedText& text = links_.text;
  struct Block {
    int aid = 0;
    int e = 0;  // bits 1..3 maximum bit rate, 4..7 LPDU count
    std::array<LpduPlace, kMaxLpdusPerBlock> places;
    std::span<LpduPlace> Lpdus() { return std::span(places).first(static_cast<std::size_t>(e >> 4)); }
  };
  std::array<Block, kGroundMaxBlocks> allBlocks;
  const auto blocks = std::span(allBlocks).first(static_cast<std::size_t>(((frame[0] >> 4) & 7) + 1));

  // Walk the header; one that runs past the frame cannot be checked.
  std::size_t at = kGroundBlocksOffset;
  bool complete = true;
  for (Block& block : blocks) {
    if (at + 2 > frame.size() || at + 2 + (frame[at + 1] >> 4) > frame.size()) {
      complete = false;
      break;
    }
    block.aid = frame[at];
    block.e = frame[at + 1];
    at += 2;
    for (LpduPlace& lpdu : block.Lpdus()) lpdu.length = frame[at++] + 1u;
  }
  if (!complete || !HfdlCrcCheck(frame, static_cast<int>(at))) {
    if (settings.On(&SettingsRecord::showMpdu)) text.Append("[CRC FAIL]\r\n");
    return;
  }
  frameOutcome_.store(kOutcomeGround);
  LinkContext link;
  link.hfChannel = links_.hfChannel;
  link.direction = kDirectionGroundToAir;
  link.groundStationId = frame[1] & 0x7F;
  std::size_t offset = at + kFcsBytes;
  for (Block& block : blocks) offset = PlaceLpdus(block.Lpdus(), offset);

  if (settings.On(&SettingsRecord::showMpdu)) {
    text.Printf("\r\n[MPDU %s GND SLOT %s]\r\n", links_.utcClock.FormatUtcClock().c_str(),
                FormatRateAndSlot(burst.rateCode, burst.detectedSlotIndex).c_str());
    if (settings.On(&SettingsRecord::verbose)) {
      text.Printf("Ground station ID %s %s\r\n",
                  links_.formatters.GroundStationName(link.groundStationId).c_str(), SyncWord(frame[1] >> 7));
      text.Printf("NR AIR CALLS %zu\r\n", blocks.size());
      for (std::size_t b = 0; b < blocks.size(); ++b) {
        const Block& block = blocks[b];
        text.Printf("AIR CALL %zu = %s\r\nLPDUS = %d\r\n", b, AidWord(block.aid).c_str(), block.e >> 4);
        text.Printf("Max Bit rate %s\r\n", MaxBitRateWord((block.e >> 1) & 7));
      }
    }
  }

  MpduHeader header;
  header.direction = kDirectionGroundToAir;
  header.groundStationId = link.groundStationId;
  header.utcSynced = frame[1] >> 7;
  for (Block& block : blocks) header.lpduCount += static_cast<int>(block.Lpdus().size());
  links_.records.OnMpdu(burst, header);
  for (Block& block : blocks) {
    link.aid = static_cast<uint8_t>(block.aid);
    for (const LpduPlace& place : block.Lpdus()) {
      const auto lpdu = CutLpdu(frame, place);
      if (!lpdu.empty()) DecodeLpdu(link, lpdu, burst);
    }
  }
}

}  // namespace talvir
