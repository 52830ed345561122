#include "protocol/hfdl_decoder.h"

#include <cstdio>

#include "config/settings.h"
#include "common/crc16.h"
#include "common/hfdl_frame_timing.h"
#include "outputs/decoded_text.h"
#include "protocol/squitter_text.h"
#include "protocol/text_formatters.h"
#include "protocol/utc_clock.h"
#include "tracking/flight_db.h"
#include "tracking/ground_stations.h"
#include "tracking/system_table_store.h"

namespace talvir {

HfdlDecoder::HfdlDecoder(const HfdlDecoderLinks& links) : links_(links) {}

bool HfdlDecoder::ReceiveFrame(std::span<const uint8_t> frame, const BurstInfo& received) {
  BurstInfo burst = received;
  if (frequencyKhz_) burst.frequencyKhz = frequencyKhz_;
  DecodeHfdlFrame(frame, burst);
  DecodedText& text = links_.text;
  if (links_.settings.On(&SettingsRecord::showHex)) text.HexDump(frame);
  if (text.Length() != 0) {
    // Without the Preamble line, a blank line separates the frames.
    if (!links_.settings.On(&SettingsRecord::showPreamble)) text.Append("\r\n");
    text.Flush();
  }
  return FrameDecodedOk();
}

void HfdlDecoder::DecodeHfdlFrame(std::span<const uint8_t> frame, const BurstInfo& burst) {
  squitterSeen_.store(0);
  frameOutcome_.store(kOutcomeCrcFail);
  if (!frame.empty() && (frame[0] & 1) != 0) {
    DecodeMpdu(frame, burst);
  } else {
    DecodeSquitter(frame, burst);
  }
}

void HfdlDecoder::DecodeSquitter(std::span<const uint8_t> frame, const BurstInfo& burst) {
  working_.crcOk = 0;
  // A frame too short for a squitter fails like a bad FCS.
  if (frame.size() < static_cast<std::size_t>(kSquitterBytes) ||
      !HfdlCrcCheck(frame, kSquitterCrcSpan)) {
    PrintSquitter({}, working_, burst);
    return;
  }
  frameOutcome_.store(kOutcomeSquitter);
  if (slotClock_ != nullptr) slotClock_->SlotClockReset();

  working_.byteCount = static_cast<int32_t>(frame.size());
  working_.crcOk = 1;
  ReadSquitterFields(frame.first<kSquitterBytes>(), working_);
  squitters_.Push(working_);

  links_.utcClock.Set(hfdl::kSecondsPerFrame * working_.frameIndex +
                      (hfdl::kSecondsPerFrame * working_.slotOffset) / hfdl::kSlotsPerFrame);
  squitterSeen_.store(1);

  GroundStations& stations = links_.stations;
  stations.GroundStationSetActive(working_.station1Id, static_cast<uint32_t>(working_.station1FrequencyMask));
  stations.GroundStationSetActive(working_.station2Id, static_cast<uint32_t>(working_.station2FrequencyMask));
  stations.GroundStationSetActive(working_.station3Id, static_cast<uint32_t>(working_.station3FrequencyMask));
  NoteGroundStationChange(working_.station1Id, working_.slotOffset, working_.systemTableVersion);

  const std::string summary = FormatSquitterSummary(working_);
  links_.ui.SetSquitterLine(links_.hfChannel, summary);
  links_.ui.PostSquitterUpdate(links_.hfChannel);
  PrintSquitter(summary, working_, burst);
  links_.records.OnSquitter(burst, working_);
}

void HfdlDecoder::NoteGroundStationChange(int id, int slotOffset, int version) {
  if (id != lastSquitterStation_.load() || slotOffset != lastSquitterSlotOffset_.load()) {
    links_.text.Printf("[HF GROUND STATION CHANGE -> %s]\r\n",
                       links_.formatters.GroundStationName(id).c_str());
    links_.flights.FlightDbClear(links_.hfChannel);
  }
  lastSquitterStation_.store(id);
  lastSquitterSlotOffset_.store(slotOffset);
  links_.systemTable.SetSystemTableValid(version == links_.systemTable.Version());
}

std::string HfdlDecoder::FormatSquitterSummary(const SquitterRecord& record) const {
  return talvir::FormatSquitterSummary(record, links_.utcClock.FormatUtcClock(), links_.formatters);
}

void HfdlDecoder::PrintSquitter(const std::string& summary, const SquitterRecord& record,
                                const BurstInfo& burst) {
  const Settings& settings = links_.settings;
  DecodedText& text = links_.text;
  const TextFormatters& formatters = links_.formatters;
  PrintPreambleLine(burst);
  if (!settings.On(&SettingsRecord::showSpdu)) return;
  if (record.crcOk == 0) {
    text.Append("[CRC FAIL]\r\n");
    return;
  }
  text.Printf("%s\r\n", summary.c_str());
  const int32_t stations[3][3] = {
      {record.station1Id, record.station1Utc, record.station1FrequencyMask},
      {record.station2Id, record.station2Utc, record.station2FrequencyMask},
      {record.station3Id, record.station3Utc, record.station3FrequencyMask},
  };
  for (const auto& [id, utc, mask] : stations) {
    text.Printf("%s UTC %s ", formatters.GroundStationName(id).c_str(), utc ? "LOCKED" : "UNLOCKED");
    text.Printf("Active freqs (Hz) %s\r\n",
                formatters.FormatFrequencyList(id, static_cast<uint32_t>(mask)).c_str());
  }
  text.Append("\r\n");
  if (!settings.On(&SettingsRecord::verbose)) return;
  text.Append("LPDU ACK codes\r\n");
  for (int i = 0; i < kSquitterAckCodes; ++i) {
    text.Printf("ACK %s %s\r\n", AckSlotLabel(i).c_str(),
                formatters.FormatAckCode(record.ackCodes[static_cast<std::size_t>(i)]).c_str());
  }
  text.Append("Slot assignment codes\r\n");
  for (int i = 0; i < kSquitterSlotAssignments; ++i) {
    text.Printf("ASN %s %s\r\n", AssignmentSlotLabel(i).c_str(),
                formatters.FormatSlotAssignment(record.slotAssignments[static_cast<std::size_t>(i)]).c_str());
  }
  text.Printf("Frame Index = %d * Frame offset = %d\r\n", record.frameIndex, record.slotOffset);
  text.Printf("Lowest Priority accepted %d\r\n", record.priorityByte & 0x0F);
}

void HfdlDecoder::PrintPreambleLine(const BurstInfo& burst) {
  links_.text.PrintPreambleLine(FrameDecodedOk(), burst.statusLine);
}

std::string HfdlDecoder::FrameOutcomeLabel() {
  switch (const int outcome = frameOutcome_.load()) {
    case kOutcomeSquitter: return "Squitter";
    case kOutcomeGround: return "Ground";
    case kOutcomeCrcFail: return "CRC Fail";
    default: {
      const auto record = links_.flights.FlightDbRecord(links_.flights.FlightDbFindByAid(outcome));
      if (!record || record->FlightIdText().empty()) return {};
      links_.flights.FlightDbShowDetailsByListIndex(record->listIndex);
      return std::string(record->FlightIdText());
    }
  }
}

}  // namespace talvir
