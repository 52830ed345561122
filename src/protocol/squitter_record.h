#pragma once
// A ground station's squitter (SPDU), sent in slot 0 of every 32 s frame, and
// the last two good ones, which the Squitters window and the main window read.

#include <array>
#include <cstdint>
#include <mutex>
#include <span>

#include "common/hfdl_pdu_types.h"

namespace talvir {

struct SquitterRecord {
  int32_t crcOk = 0;
  int32_t frameType = 0;
  int32_t squitterVersion = 0;
  int32_t loadFlag = 0;     // 1 "HEAVY"
  int32_t iso8208Flag = 0;  // 1 "ISO 8208"
  int32_t groundStationStatus = 0;  // 0 GS UP, 1 FREQ CHANGE, 2 CHAN DOWN, 3 GS DOWN
  int32_t station1Utc = 0;
  int32_t station1Id = 0;
  int32_t frameIndex = 0;  // 32 s frame of the UTC day
  int32_t slotOffset = 0;
  // S11(N-3), S12(N-3), S01..S12(N-2), S01..S10(N-1); low 8 bits AID, 8..11 flags
  std::array<int32_t, kSquitterAckCodes> ackCodes{};
  // S03..S12 of this frame, then S01, S02 of the next
  std::array<uint8_t, kSquitterSlotAssignments> slotAssignments{};
  int32_t priorityByte = 0;
  int32_t systemTableVersion = 0;
  int32_t station1FrequencyMask = 0;
  int32_t station2Id = 0;
  int32_t station2Utc = 0;
  int32_t station2FrequencyMask = 0;
  int32_t station3Id = 0;
  int32_t station3Utc = 0;
  int32_t station3FrequencyMask = 0;
  int32_t byteCount = 0;
};

// Reads every field of a squitter's first 66 bytes (crcOk and byteCount are
// the caller's). The frame must hold them.
void ReadSquitterFields(std::span<const uint8_t, kSquitterBytes> frame, SquitterRecord& record);

// The latest good squitter and the one before it, replaced as a pair.
class SquitterHistory {
 public:
  struct Snapshot {
    SquitterRecord latest;
    SquitterRecord previous;
  };

  void Push(const SquitterRecord& record) {
    std::lock_guard lock(lock_);
    records_.previous = records_.latest;
    records_.latest = record;
  }
  // Until squitters arrive every slot counts as random access.
  void MarkSlotAssignmentsUnknown() {
    std::lock_guard lock(lock_);
    records_.latest.slotAssignments.fill(kSlotRandomAccess);
    records_.previous.slotAssignments.fill(kSlotRandomAccess);
  }
  Snapshot Get() const {
    std::lock_guard lock(lock_);
    return records_;
  }

 private:
  mutable std::mutex lock_;
  Snapshot records_;
};

}  // namespace talvir
