#pragma once
// A ground station's squitter (SPDU), sent in slot 0 of every 32 s frame, and
// the last two good ones, which the Squitters window and the main window read.

#include <array>
#include <cstdint>
#include <mutex>
#include <span>

#include "common/hfdl_pdu_types.h"
#include "common/hfdl_records.h"

namespace talvir {

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
