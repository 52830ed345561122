#include "protocol/information_texts.h"

#include <cstdio>

#include "protocol/squitter_text.h"
#include "protocol/text_formatters.h"

namespace talvir {
namespace {

// Slot assignments S01 and S02 of the next frame, after S03..S12 of this one.
constexpr int kNextFrameAssignments = 10;

void AppendLine(std::string& text, const std::string& label, const std::string& value) {
  text += " " + label + " " + value + "\r\n";
}

}  // namespace

SquittersWindowFields SquittersWindowText::RenderSquittersWindow(
    const SquitterHistory::Snapshot& squitters, bool smartDisplay, const std::string& summary) {
  const SquitterRecord& latest = squitters.latest;
  SquittersWindowFields fields;

  std::string& acks = fields.acknowledgements;
  acks = "\r\n";
  for (int i = 0; i < kSquitterAckCodes; ++i) {
    if (i == 2 || i == 14) acks += "\r\n";  // a blank line between the frames
    AppendLine(acks, "ACK " + AckSlotLabel(i), formatters_.FormatAckCode(latest.ackCodes[static_cast<std::size_t>(i)]));
  }

  std::string& asn = fields.assignments;
  asn = "\r\n";
  auto assignment = [&](const SquitterRecord& record, int i) {
    return formatters_.FormatSlotAssignment(record.slotAssignments[static_cast<std::size_t>(i)]);
  };
  if (smartDisplay) {
    // The whole current frame: S01, S02 were announced by the squitter before.
    for (int i = kNextFrameAssignments; i < kSquitterSlotAssignments; ++i) {
      AppendLine(asn, "ASN S0" + std::to_string(i - kNextFrameAssignments + 1) + " (N+0)",
                 assignment(squitters.previous, i));
    }
    for (int i = 0; i < kNextFrameAssignments; ++i) AppendLine(asn, "ASN " + AssignmentSlotLabel(i), assignment(latest, i));
  } else {
    for (int i = 0; i < kSquitterSlotAssignments; ++i) {
      if (i == kNextFrameAssignments) asn += "\r\n";
      AppendLine(asn, "ASN " + AssignmentSlotLabel(i), assignment(latest, i));
    }
  }

  fields.groundStationStatus = summary;

  const StationEntry heard[] = {
      {latest.station1Id, latest.station1FrequencyMask, latest.station1Utc},
      {latest.station2Id, latest.station2FrequencyMask, latest.station2Utc},
      {latest.station3Id, latest.station3FrequencyMask, latest.station3Utc},
  };
  for (const StationEntry& station : heard) {
    if (station.id >= 0 && station.id < kStationIds) stationTable_[static_cast<std::size_t>(station.id)] = station;
  }
  for (const StationEntry& entry : stationTable_) {
    if (entry.id <= 0 || entry.id >= kStationIds) continue;
    fields.stations += formatters_.GroundStationName(entry.id) + " " + (entry.utc ? "UTC" : "") + "\r\n";
    fields.stations += formatters_.FormatFrequencyList(entry.id, static_cast<uint32_t>(entry.mask)) + "\r\n\r\n";
  }
  return fields;
}

std::string RenderStatisticsWindow(std::span<const int32_t, kFrameCounterCount> c) {
  char text[1024];
  std::snprintf(text, sizeof text,
                "Total frames %d errors %d\r\n\r\n"
                "Squitters %d errors %d\r\n\r\n"
                "300 bps 1.8 frames %d errors %d\r\n"
                "300 bps 4.2 frames %d errors %d\r\n\r\n"
                "600 bps 1.8 frames %d errors %d\r\n"
                "600 bps 4.2 frames %d errors %d\r\n\r\n"
                "1200 bps 1.8 frames %d errors %d \r\n"
                "1200 bps 4.2 frames %d errors %d \r\n\r\n"
                "1800 bps 1.8 frames %d errors %d\r\n"
                "1800 bps 4.2 frames %d errors %d\r\n",
                c[0], c[1], c[18], c[19], c[2], c[3], c[4], c[5], c[6], c[7], c[8], c[9], c[10], c[11],
                c[12], c[13], c[14], c[15], c[16], c[17]);
  return text;
}

}  // namespace talvir
