#include "protocol/squitter_text.h"

#include <cstdio>

#include "common/hfdl_frame_timing.h"
#include "protocol/text_formatters.h"

namespace talvir {
namespace {

constexpr const char* kStationStatus[] = {"GS UP", "FREQ CHANGE", "CHAN DOWN", "GS DOWN"};
constexpr int kFirstAssignedSlot = 3;

// Acknowledged slots start at S11 three frames back.
constexpr int kFirstAckSlot = 11;
constexpr int kFirstAckFramesBack = 3;

}  // namespace

std::string AckSlotLabel(int i) {
  const int position = kFirstAckSlot - 1 + i;  // counting S01 of N-3 as 0
  const int slot = position % (hfdl::kSlotsPerFrame - 1) + 1;
  const int framesBack = kFirstAckFramesBack - position / (hfdl::kSlotsPerFrame - 1);
  char text[32];
  std::snprintf(text, sizeof text, "S%.2d(N-%d)", slot, framesBack);
  return text;
}

std::string AssignmentSlotLabel(int i) {
  const int position = kFirstAssignedSlot - 1 + i;
  const int slot = position % (hfdl::kSlotsPerFrame - 1) + 1;
  const int frameAhead = position / (hfdl::kSlotsPerFrame - 1);
  char text[32];
  std::snprintf(text, sizeof text, "S%.2d (N+%d)", slot, frameAhead);
  return text;
}

std::string FormatSquitterSummary(const SquitterRecord& record, const std::string& utcClockText,
                                  const TextFormatters& formatters) {
  const std::string station = formatters.GroundStationName(record.station1Id);
  char text[256];
  std::snprintf(text, sizeof text, " GND %s %s %s  DB = %d  SV = %d  %s %s %s OFFSET %d",
                utcClockText.c_str(), record.station1Utc ? "UTC" : "", station.c_str(),
                record.systemTableVersion, record.squitterVersion,
                kStationStatus[record.groundStationStatus & 3], record.loadFlag ? "HEAVY" : "LIGHT",
                record.iso8208Flag ? "ISO 8208" : "", record.slotOffset);
  return text;
}

}  // namespace talvir
