// MPDUs: the header of an aircraft's or a ground station's burst, and the
// LPDUs it carries.

#include <algorithm>
#include <array>
#include <cstdio>

#include "common/crc16.h"
#include "config/settings.h"
#include "outputs/decoded_text.h"
#include "protocol/hfdl_decoder.h"
#include "protocol/mpdu_layout.h"
#include "protocol/text_formatters.h"
#include "protocol/utc_clock.h"
#include "tracking/flight_db.h"

namespace talvir {
namespace {

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
  return MpduIntact(frame);
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
  MpduLayout layout;
  const bool crcOk = ReadMpduLayout(frame, layout) && HfdlCrcCheck(frame, static_cast<int>(layout.headerBytes));
  const int n = layout.blocks[0].lpduCount;

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
  for (const LpduPlace& place : layout.blocks[0].Lpdus()) {
    const auto lpdu = CutLpdu(frame, place);
    if (!lpdu.empty()) DecodeLpdu(link, lpdu, burst);
  }
}

void HfdlDecoder::DecodeGroundMpdu(std::span<const uint8_t> frame, const BurstInfo& burst) {
  const Settings& settings = links_.settings;
  DecodedText& text = links_.text;
  MpduLayout layout;
  if (!ReadMpduLayout(frame, layout) || !HfdlCrcCheck(frame, static_cast<int>(layout.headerBytes))) {
    if (settings.On(&SettingsRecord::showMpdu)) text.Append("[CRC FAIL]\r\n");
    return;
  }
  const auto blocks = layout.Blocks();
  frameOutcome_.store(kOutcomeGround);
  LinkContext link;
  link.hfChannel = links_.hfChannel;
  link.direction = kDirectionGroundToAir;
  link.groundStationId = frame[1] & 0x7F;

  if (settings.On(&SettingsRecord::showMpdu)) {
    text.Printf("\r\n[MPDU %s GND SLOT %s]\r\n", links_.utcClock.FormatUtcClock().c_str(),
                FormatRateAndSlot(burst.rateCode, burst.detectedSlotIndex).c_str());
    if (settings.On(&SettingsRecord::verbose)) {
      text.Printf("Ground station ID %s %s\r\n",
                  links_.formatters.GroundStationName(link.groundStationId).c_str(), SyncWord(frame[1] >> 7));
      text.Printf("NR AIR CALLS %zu\r\n", blocks.size());
      for (std::size_t b = 0; b < blocks.size(); ++b) {
        const MpduBlock& block = blocks[b];
        text.Printf("AIR CALL %zu = %s\r\nLPDUS = %d\r\n", b, AidWord(block.aid).c_str(), block.lpduCount);
        text.Printf("Max Bit rate %s\r\n", MaxBitRateWord((block.e >> 1) & 7));
      }
    }
  }

  MpduHeader header;
  header.direction = kDirectionGroundToAir;
  header.groundStationId = link.groundStationId;
  header.utcSynced = frame[1] >> 7;
  for (const MpduBlock& block : blocks) header.lpduCount += block.lpduCount;
  links_.records.OnMpdu(burst, header);
  for (const MpduBlock& block : blocks) {
    link.aid = static_cast<uint8_t>(block.aid);
    for (const LpduPlace& place : block.Lpdus()) {
      const auto lpdu = CutLpdu(frame, place);
      if (!lpdu.empty()) DecodeLpdu(link, lpdu, burst);
    }
  }
}

}  // namespace talvir
