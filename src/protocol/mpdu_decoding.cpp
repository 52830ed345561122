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

constexpr int kAirMaxDecodedLpdus = 8;  // an air MPDU may announce 15
constexpr int kGroundMaxBlocks = 8;
constexpr int kMaxLpdusPerBlock = 15;
constexpr int kFcsBytes = 2;

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
  int offset = 0;
  int length = 0;
};

// The LPDU at `place`, or an empty span when it reaches past the received
// bytes (such LPDUs are skipped).
std::span<const uint8_t> CutLpdu(std::span<const uint8_t> frame, const LpduPlace& place) {
  if (place.offset + place.length > static_cast<int>(frame.size())) return {};
  return frame.subspan(static_cast<std::size_t>(place.offset), static_cast<std::size_t>(place.length));
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
  link.direction = kDirectionAirToGround;
  const int n = (frame[0] >> 2) & 0x0F;
  const int headerBytes = n + 6;
  const bool crcOk = HfdlCrcCheck(frame, headerBytes);

  std::array<LpduPlace, kAirMaxDecodedLpdus> lpdus;
  const int decoded = std::min(n, kAirMaxDecodedLpdus);
  if (crcOk) {
    link.groundStationId = frame[1] & 0x7F;
    link.aid = frame[2];
    frameOutcome_.store(link.aid);
    int offset = headerBytes + kFcsBytes;
    for (int i = 0; i < decoded; ++i) {
      lpdus[static_cast<std::size_t>(i)] = {offset, frame[static_cast<std::size_t>(6 + i)] + 1};
      offset += lpdus[static_cast<std::size_t>(i)].length;
    }
  }

  if (settings.On(&SettingsRecord::showMpdu)) {
    if (!crcOk) {
      text.Append("[CRC FAIL]\r\n");
    } else {
      text.Printf("\r\n[MPDU %s AIR %s SLOT %s]\r\n", links_.utcClock.FormatUtcClock().c_str(),
                  links_.formatters.FlightLabel(link.aid).c_str(),
                  FormatRateAndSlot(burst.rateCode, burst.detectedSlotIndex).c_str());
      if (settings.On(&SettingsRecord::verbose)) {
        const int slotRequest = frame[3];
        text.Printf("Nr LPDUs = %d ", n);
        text.Printf("Ground station ID %s %s\r\n",
                    links_.formatters.GroundStationName(link.groundStationId).c_str(),
                    SyncWord(frame[1] >> 7));
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
        text.Printf("Max Bit rate %s", MaxBitRateWord(frame[4] & 7));
        text.Printf("U(R) = %d UR(R)vect = %d\r\n", frame[4] >> 3, frame[5]);
      }
    }
  }

  if (!crcOk) return;
  for (int i = 0; i < decoded; ++i) {
    const auto lpdu = CutLpdu(frame, lpdus[static_cast<std::size_t>(i)]);
    if (!lpdu.empty()) DecodeLpdu(link, lpdu);
  }
}

void HfdlDecoder::DecodeGroundMpdu(std::span<const uint8_t> frame, const BurstInfo& burst) {
  const Settings& settings = links_.settings;
  DecodedText& text = links_.text;
  const int count = static_cast<int>(frame.size());
  struct Block {
    int aid = 0;
    int e = 0;
    std::array<LpduPlace, kMaxLpdusPerBlock> lpdus;
  };
  std::array<Block, kGroundMaxBlocks> blocks;
  const int blockCount = ((frame[0] >> 4) & 7) + 1;

  // Walk the header; one that runs past the frame cannot be checked.
  int at = 2;
  bool complete = count >= 2;
  for (int b = 0; complete && b < blockCount; ++b) {
    Block& block = blocks[static_cast<std::size_t>(b)];
    if (at + 2 > count) {
      complete = false;
      break;
    }
    block.aid = frame[static_cast<std::size_t>(at)];
    block.e = frame[static_cast<std::size_t>(at + 1)];
    const int m = block.e >> 4;
    at += 2;
    if (at + m > count) {
      complete = false;
      break;
    }
    for (int i = 0; i < m; ++i) block.lpdus[static_cast<std::size_t>(i)].length = frame[static_cast<std::size_t>(at + i)] + 1;
    at += m;
  }
  if (!complete || !HfdlCrcCheck(frame, at)) {
    if (settings.On(&SettingsRecord::showMpdu)) text.Append("[CRC FAIL]\r\n");
    return;
  }
  frameOutcome_.store(kOutcomeGround);
  LinkContext link;
  link.direction = kDirectionGroundToAir;
  link.groundStationId = frame[1] & 0x7F;
  int offset = at + kFcsBytes;
  for (int b = 0; b < blockCount; ++b) {
    Block& block = blocks[static_cast<std::size_t>(b)];
    for (int i = 0; i < (block.e >> 4); ++i) {
      block.lpdus[static_cast<std::size_t>(i)].offset = offset;
      offset += block.lpdus[static_cast<std::size_t>(i)].length;
    }
  }

  if (settings.On(&SettingsRecord::showMpdu)) {
    text.Printf("\r\n[MPDU %s GND SLOT %s]\r\n", links_.utcClock.FormatUtcClock().c_str(),
                FormatRateAndSlot(burst.rateCode, burst.detectedSlotIndex).c_str());
    if (settings.On(&SettingsRecord::verbose)) {
      text.Printf("Ground station ID %s %s\r\n",
                  links_.formatters.GroundStationName(link.groundStationId).c_str(), SyncWord(frame[1] >> 7));
      text.Printf("NR AIR CALLS %d\r\n", blockCount);
      for (int b = 0; b < blockCount; ++b) {
        const Block& block = blocks[static_cast<std::size_t>(b)];
        text.Printf("AIR CALL %d = %s\r\nLPDUS = %d\r\n", b, AidWord(block.aid).c_str(), block.e >> 4);
        text.Printf("Max Bit rate %s\r\n", MaxBitRateWord((block.e >> 1) & 7));
      }
    }
  }

  for (int b = 0; b < blockCount; ++b) {
    const Block& block = blocks[static_cast<std::size_t>(b)];
    link.aid = static_cast<uint8_t>(block.aid);
    for (int i = 0; i < (block.e >> 4); ++i) {
      const auto lpdu = CutLpdu(frame, block.lpdus[static_cast<std::size_t>(i)]);
      if (!lpdu.empty()) DecodeLpdu(link, lpdu);
    }
  }
}

}  // namespace talvir
